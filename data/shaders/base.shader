// Materials of the starter game. Names and keywords are case-insensitive;
// a texture path that no shader names works as a one-stage shader too.

// The console's background: a dark gradient, mostly opaque, under a soft
// glow that drifts and breathes. Drawn over everything, so no depth test.
console
{
	surfaceparm nodepthtest
	surfaceparm nodepthwrite
	surfaceparm nolight
	{
		map textures/console/background.tga
		rgbgen translate 1 1 1 0.85
		blendfunc blend
	}
	{
		map textures/fx/glow.tga
		blendfunc add
		rgbgen wave sine 0.2 0.08 0 0.25
		tcmod scroll 0.03 0.01
	}
}

textures/base/floor
{
	{
		map textures/base/floor.tga
	}
}

// Bricks with a normal map for the lighting passes.
textures/base/wall
{
	{
		map textures/base/wall.tga
	}
	{
		normalmap textures/base/wall_normal.tga
		specular 0.4
	}
}

// Additive glow for flares and particles: seen from both sides, no depth
// writes, never lit, never in the way.
effects/glow
{
	cull none
	surfaceparm trans
	surfaceparm nolight
	surfaceparm noocclude
	surfaceparm nonsolid
	{
		clampmap textures/fx/glow.tga
		blendfunc add
		flare 32 0 0
	}
}

// A translucent window for the GUI, its border kept unstretched.
gui/panel
{
	surfaceparm nolight
	{
		clampmap textures/console/background.tga
		rgbgen translate 1 1 1 0.8
		blendfunc blend
		gui_imagesize 128 128
		gui_bordersize 8 8
		gui_imagebordersize 8 8
	}
}

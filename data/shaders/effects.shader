// Materials of the starter game's effects (data/effects/*.eff): the soft
// glow texture added over the scene, coloured by each particle.
effects/spark
{
	surfaceparm nolight
	surfaceparm nodepthwrite
	surfaceparm trans
	cull none
	{
		map textures/fx/glow.tga
		blendfunc add
	}
}

// Drawn on the screen over everything; `flare` gives its half size in pixels.
effects/flare
{
	surfaceparm nolight
	surfaceparm nodepthtest
	surfaceparm nodepthwrite
	surfaceparm trans
	{
		map textures/fx/glow.tga
		blendfunc add
		flare 64 1 1
	}
}

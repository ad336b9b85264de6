// Materials of the starter game's menu (gui/menu.gui). The GUI draws over
// the scene in 2D: no depth test, no lighting.

gui/panel
{
	surfaceparm nodepthtest
	surfaceparm nolight
	{
		map textures/console/background.tga
		rgbgen translate 1 1 1 0.8
		blendfunc blend
	}
}

gui/button
{
	surfaceparm nodepthtest
	surfaceparm nolight
	{
		map textures/gui/button.tga
	}
}

gui/buttonhover
{
	surfaceparm nodepthtest
	surfaceparm nolight
	{
		map textures/gui/button_hover.tga
	}
}

gui/buttondown
{
	surfaceparm nodepthtest
	surfaceparm nolight
	{
		map textures/gui/button_down.tga
	}
}

gui/box
{
	surfaceparm nodepthtest
	surfaceparm nolight
	{
		map textures/gui/button_down.tga
	}
}

// Black is nothing when added: only the mark and the arrow show.
gui/check
{
	surfaceparm nodepthtest
	surfaceparm nolight
	{
		map textures/gui/check.tga
		blendfunc add
	}
}

gui/cursor
{
	surfaceparm nodepthtest
	surfaceparm nolight
	{
		map textures/gui/cursor.tga
		blendfunc add
	}
}

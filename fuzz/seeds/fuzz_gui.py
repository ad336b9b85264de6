#!/usr/bin/env python3
"""Writes seed GUI files for fuzz_gui into the given directory: every class
with its properties, a window with children, and typical faults."""
import pathlib
import sys

SHADERS = "\n".join(f"shader{state} textures/x.tga" for state in ("normal", "mousemove", "mousedown", "disabled"))
SCROLL = "\n".join(f"shaderscroll{part}{state} textures/x.tga" for part in ("up", "down", "pos")
                   for state in ("normal", "mousemove", "mousedown", "disabled"))

EVERY_CLASS = f"""# every class
{{
class button
name ok
position 10 10
size 80 20
{SHADERS}
fontsize 8 8
textmapsize 16 16
fontcolor 1 0.5 0.25 1
caption "Start  game"
fontmap textures/console_font.tga
index 1
}}
{{
class textbox
name entry
position 10 40
size 100 16
maxlength 8
multiline false
charinsert _
charnormal |
border 2 2
shadergotfocus textures/x.tga
caption abc
}}
{{
class combobox
name combo
position 10 70
size 100 16
itemsonlist 3
buttonwidth 16
buttonvisible true
scrollposheight 8
shaderlistbg textures/x.tga
shaderbuttonnormal textures/x.tga
{SCROLL.replace("shaderscrollposdisabled textures/x.tga", "")}
}}
{{
class Cursor
name pointer
size 16 16
shader textures/x.tga
}}
{{
class label
name title
position 200 10
caption Title
justify 2
}}
{{
class checkbox
name check
position 10 100
checked true
shaderchecked textures/x.tga
shaderdisablednormal textures/x.tga
shaderdisabledchecked textures/x.tga
}}
{{
class progress
name bar
position 10 130
value 0.5
vertical true
reverse true
shaderbar textures/x.tga
}}
{{
class scrollbar
name scroll
position 10 160
size 100 10
minvalue 0
maxvalue 10
value 3
buttonsize 10
scrollpossize 10
{SCROLL}
}}
{{
class listbox
name list
position 10 190
size 100 50
itemsonlist 5
scrollvisible true
shaderselected textures/x.tga
}}
"""

WINDOW = """{
class window
name menu
position 100 100
size 200 150
titlebar true
tbheight 16
moveable true
caption Menu
textborder 4 2
shaderbackground textures/x.tga
shadertitlebar textures/x.tga
shadertitlebarinactive textures/x.tga
{
class button
name start
position 10 10
}
{
class listbox
name list
position 10 40
}
{
class window
name inner
}
}
"""

FAULTS = """lonely
{
name first
class button extra
}
{
class button
{
visible True
size 1
maxlength 9
}
}
{
class textbox
maxlength 0
charinsert ab
{
class label
"""

def main():
    out = pathlib.Path(sys.argv[1])
    out.mkdir(parents=True, exist_ok=True)
    for name, text in (("every_class.gui", EVERY_CLASS), ("window.gui", WINDOW), ("faults.gui", FAULTS)):
        (out / name).write_text(text)

if __name__ == "__main__":
    main()

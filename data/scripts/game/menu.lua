-- The starter game's menu (gui/menu.gui): it shows at start with a pointer
-- of its own, switches shadows, and goes away with Play. /Menu brings it
-- back. While it shows, the mouse moves the pointer instead of the view.

function ShowMenu(shown)
    if shown then
        GUI_Show("menu")
        GUI_Show("pointer")
    else
        GUI_Hide("menu")
        GUI_Hide("pointer")
    end
    GUI_AcceptInput(shown and 1 or 0)
    Input_LockCursor(shown and 0 or 1)
end

function MenuPlay()
    ShowMenu(false)
end

function MenuQuit()
    Console_Command("Quit")
end

function MenuShadows()
    Console_Command("r_shadows " .. GUI_GetValue("menu:shadows"))
end

function Menu()
    GUI_SetValue("menu:shadows", tonumber(Console_GetVariable("r_shadows")) or 0)
    ShowMenu(true)
end

GUI_Load("gui/menu.gui")
GUI_AddHook("menu:play", "clicked", "MenuPlay")
GUI_AddHook("menu:quit", "clicked", "MenuQuit")
GUI_AddHook("menu:shadows", "clicked", "MenuShadows")
Console_AddCommand("Menu", "Menu", "")
Menu()

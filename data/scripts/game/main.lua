-- The starter game. The engine runs this once at start-up and then calls
-- update() once per frame.

frames = 0

function update()
    frames = frames + 1
end

-- The console command /Hello calls this with 0.
function Hello()
    Console_Print("^15Hello, ^13", playerName, "^15! This is frame ^13", frames, "^15.\n")
end

Console_AddCommand("Hello", "Hello", "")

Console_Print(" ^5- ^15Open the console with ^13`^15, then type ^6/Hello ^15or ^6/g_playerName ^5[name]^15.\n")

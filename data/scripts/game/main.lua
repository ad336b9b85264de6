-- The starter game. The engine runs this once at start-up and then calls
-- update() once per frame.

frames = 0
startTime = GetFrameTime()

function update()
    frames = frames + 1
    -- A handful of embers every two seconds.
    if embers and GetFrameTime() >= (nextEmbers or 0) then
        Effect_Emit(embers, 40)
        nextEmbers = GetFrameTime() + 2
    end
end

-- The console command /Hello calls this with 0.
function Hello()
    Console_Print("^15Hello, ^13", playerName, "^15! This is frame ^13", frames, "^15.\n")
end

-- /Stats: today's date and the frame rate since the game started.
function Stats()
    local seconds = GetFrameTime() - startTime
    local rate = 0
    if seconds > 0 then
        rate = frames / seconds
    end
    Console_Print("^15", System_Date("%A %d %B %Y, %H:%M"), ": ^13", frames, "^15 frames in ^13",
                  string.format("%.1f", seconds), "^15 s, ^13", string.format("%.0f", rate), "^15 per second.\n")
end

Console_AddCommand("Hello", "Hello", "")
Console_AddCommand("Stats", "Stats", "")
-- On the first start F2 runs /Stats. Bindings are saved in default.cfg at
-- exit and restored from it, so once it exists every binding in it is the
-- player's own and is left alone.
local firstStart = System_FileExists("default.cfg") == 0
if firstStart and Input_GetBoundKeys("Stats") == "[None]" then
    Console_Command("bind f2 Stats")
end

-- How often the game has started, kept in the data directory as a small Lua
-- chunk. It runs in an empty environment, and a damaged file counts from 0.
local startsFile = "saves/starts.lua"
local starts = 0
if System_FileExists(startsFile) == 1 then
    local chunk = loadfile(startsFile)
    if chunk then
        setfenv(chunk, {})
    end
    local ok, saved = pcall(chunk)
    if ok and type(saved) == "number" then
        starts = saved
    end
end
starts = starts + 1
System_MakeDir("saves")
System_SaveFile(startsFile, "return " .. starts .. "\n")

-- The demo level, compiled from maps/demo.txt when the engine is built. The
-- map command calls MapFree before a map goes and MapLoad after one came.
function MapFree()
    embers = nil
end

-- The demo level is lit by a warm lamp in the west room, whose pillar
-- casts a shadow, and a cool one in the east room. Shadows are switched on
-- at the first start only; after that r_shadows is the player's. Models go
-- with the map they stood in, so each map load places its own: the jointed
-- arm (models/arm.krm, made when the engine is built) waving in the west
-- room.
function MapLoad(script, map)
    Console_Print(" ^5- ^15Level ^13", map, "^15 loaded.\n")
    Light_SetAmbient({0.15, 0.15, 0.18})
    Light_Create("westLamp")
    Light_SetPosition("westLamp", {-100, 110, -40})
    Light_SetBrightness("westLamp", 360)
    Light_SetColor("westLamp", {1, 0.85, 0.6})
    Light_Create("eastLamp")
    Light_SetPosition("eastLamp", {144, 100, 0})
    Light_SetBrightness("eastLamp", 300)
    Light_SetColor("eastLamp", {0.6, 0.75, 1})
    if System_FileExists("models/arm.krm") == 1 then
        Model_Require("models/arm.krm")
        local arm = Model_Create("models/arm.krm", {-110, 0, -96}, {0, 0, 0}, {1, 1, 1})
        Model_Animate(arm, "wave")
    end
    -- Effects (data/effects) go with the map as well: a fountain, embers
    -- thrown out by update(), a beam across the room and the lamp's flare.
    Effect_Create("effects/fountain.eff", {-110, 0, -50}, 0)
    embers = Effect_Create("effects/burst.eff", {-60, 20, -90}, 0)
    local beam = Effect_Create("effects/beam.eff", {-230, 30, -110}, 0)
    Effect_SetBeamStart(beam, {-230, 30, -110})
    Effect_SetBeamEnd(beam, {-30, 90, -110})
    Effect_Create("effects/flare.eff", {-100, 110, -40}, 0)
    Camera_SetPosition({-16, 72, 104})
    Camera_LookAt({-184, 40, -72})
end

if firstStart then
    Console_Command("r_shadows 1")
end

if System_FileExists("maps/demo.map") == 1 then
    Console_Command("Map maps/demo.map")
end

-- A chime to greet the player and a tune that loops behind the game, both
-- synthesised when the engine is built.
if System_FileExists("sounds/chime.wav") == 1 then
    Sound_Play("chime")
end
if System_FileExists("music/theme.ogg") == 1 then
    Sound_PlayMusic("music/theme.ogg")
end

System_ExecuteScript("scripts/game/menu.lua")
Console_Print(" ^5- ^15Play or Quit from the menu; type ^6/Menu ^15to bring it back.\n")
Console_Print(" ^5- ^15Open the console with ^13`^15, then type ^6/Hello ^15or ^6/g_playerName ^5[name]^15.\n")
Console_Print(" ^5- ^15Press ^13", (Input_GetBoundKeys("Stats")), "^15 or type ^6/Stats ^15for the date and the frame rate.\n")
Console_Print(" ^5- ^15This game has started ^13", starts, "^15 time(s), counted in ^13", startsFile, "^15.\n")

-- Console variables of the starter game. This runs before default.cfg is
-- read the second time, so the values saved at the last exit reach these
-- variables and their change callbacks, which are therefore defined here too.

playerName = "stranger"

function OnPlayerNameChanged(name)
    if name ~= "" then
        playerName = name
    end
end

-- A string of up to 32 characters, neither read-only nor load-time only.
Console_AddVariable("g_playerName", "S", 0, 0, 32, "OnPlayerNameChanged")

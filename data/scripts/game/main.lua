-- The starter game: the engine calls update() once per frame.

function update()
end

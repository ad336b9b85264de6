// Map files made by the test loaded into the runtime structures, and damaged or cut-short files refused with a message
// and no map left behind.
#include "minimal_map.h"
#include "support/shader_console_test.h"
#include "world/map.h"

#include <gtest/gtest.h>

#include <string>
#include <type_traits>
#include <vector>

namespace {

// A view's records as a vector, to compare.
template <class T>
std::vector<std::remove_const_t<T>> Records(ArrayView<T> view)
{
    return {view.begin(), view.end()};
}

class MapLoadTest : public ShaderConsoleTest {
protected:
    MapLoadTest() : ShaderConsoleTest("shaders/map.shader", kMinimalMapShaders) {}
    void TearDown() override
    {
        map.Free();
        ShaderConsoleTest::TearDown();
    }
    bool Load(const std::string& bytes)
    {
        WriteData("maps/test.map", bytes);
        return map.Load("maps/test.map");
    }
    // The file is refused with a message naming it and `fault`, and no map is left.
    void ExpectRefused(const std::string& bytes, const std::string& fault)
    {
        ClearText();
        EXPECT_FALSE(Load(bytes)) << fault;
        const std::string prefix = "^1Error: maps/test.map is damaged: ";
        EXPECT_NE(Text().find(prefix + fault), std::string::npos) << Text();
        EXPECT_FALSE(map.loaded());
        EXPECT_TRUE(map.meshes().empty() && map.rooms().empty() && map.brushes().empty());
        EXPECT_TRUE(map.vertices().empty() && map.bspRoot() == nullptr && map.grid().size() == 0);
    }

    Map map;
};

std::vector<float> Xyz(const Vector& v)
{
    return {v.x, v.y, v.z};
}
typedef std::vector<float> Floats;

TEST_F(MapLoadTest, TheMinimalMapLoadsIntoItsStructures)
{
    ASSERT_TRUE(Load(MinimalMap().Bytes())) << Text();
    EXPECT_EQ(Text().find("Error"), std::string::npos) << Text();

    // Each vertex field where it belongs, with w added.
    ASSERT_EQ(map.vertices().size(), 13u);
    const MapVertex& v = map.vertices()[2];
    EXPECT_EQ(Floats(v.position, v.position + 4), (Floats{100, 0, 100, 1}));
    EXPECT_EQ(Floats(v.texCoord, v.texCoord + 2), (Floats{1, 1}));
    EXPECT_EQ(Floats(v.binormal, v.binormal + 3), (Floats{0, 0, 1}));

    ASSERT_EQ(map.meshes().size(), 2u);
    MapMesh& world = map.meshes()[0];
    MapMesh& door = map.meshes()[1];
    EXPECT_EQ(world.name + door.name, "*0*1");
    ASSERT_TRUE(world.surfaces.size() == 2 && door.surfaces.size() == 2);
    const MapSurface& floor = world.surfaces[0];
    EXPECT_EQ(floor.shader->name + " " + world.surfaces[1].shader->name, "default textures/wall");
    EXPECT_EQ(Records(floor.indices), (std::vector<uint32_t>{0, 1, 2, 0, 2, 3}));
    EXPECT_EQ(Records(floor.neighbours), (std::vector<int32_t>{-1, -1, 1, 0, -1, -1}));
    EXPECT_EQ(Records(world.surfaces[1].neighbours), (std::vector<int32_t>{-1, -1, -1}));
    EXPECT_FLOAT_EQ(floor.planes[1].normal.y, 1.0f);
    EXPECT_TRUE(!floor.movable && door.surfaces[0].movable);

    // Mesh 0 spans every vertex; the door only its drawable triangle.
    ASSERT_EQ(map.rooms().size(), 1u);
    const std::pair<Vector, Floats> bounds[] = {
        {world.surfaces[1].bounds.maximum, {100, 50, 0}},
        {world.bounds.minimum, {0, 0, 0}},         {world.bounds.maximum, {210, 50, 100}},
        {door.bounds.minimum, {40, 0, 50}},        {door.bounds.maximum, {60, 30, 50}},
        {map.rooms()[0].bounds.maximum, {100, 50, 100}},
        {map.levelBounds().minimum, {-1000, -1000, -1000}}, {map.levelBounds().maximum, {1210, 1050, 1100}},
        {map.grid().offset(), {1100, 0, 1100}},
    };
    for (const auto& [actual, expected] : bounds)
        EXPECT_EQ(Xyz(actual), expected);
    EXPECT_EQ(door.drawIndices, (std::vector<uint32_t>{10, 11, 12}));
    EXPECT_EQ(door.drawSurfaces, (std::vector<uint32_t>{1}));
    EXPECT_EQ(world.drawSurfaces, (std::vector<uint32_t>{0, 0, 1}));

    EXPECT_EQ(map.rooms()[0].surfaces.size(), 2u);
    EXPECT_EQ(&map.rooms()[0].surfaces[0], &floor);  // the world's surfaces, not copies

    ASSERT_EQ(map.brushes().size(), 3u);
    const MapBrush& ground = map.brushes()[0];
    EXPECT_EQ(ground.planes.size(), 2u);
    EXPECT_FLOAT_EQ(ground.planes[1].distance, 10.0f);
    EXPECT_EQ(ground.flags, 1);
    EXPECT_TRUE(!ground.nonsolid && map.brushes()[1].nonsolid);
    EXPECT_EQ(ground.meshIndex + map.brushes()[2].meshIndex, 1);
    EXPECT_EQ(door.brushes, (std::vector<MapBrush*>{&map.brushes()[2]}));

    // Child -1 is leaf 0, -2 leaf 1, 0 no child.
    BspNode* root = map.bspRoot();
    ASSERT_TRUE(root && !root->leaf && root->back && root->back->leaf && root->front && !root->front->leaf);
    EXPECT_EQ(Records(root->back->brushes), (std::vector<MapBrush*>{&map.brushes()[0]}));
    EXPECT_FLOAT_EQ(root->front->plane.normal.x, 1.0f);
    EXPECT_EQ(root->front->back, nullptr);
    ASSERT_TRUE(root->front->front && root->front->front->leaf);
    EXPECT_EQ(root->front->front->brushes.size(), 2u);

    EXPECT_EQ(map.grid().size(), 241);  // ceil(2210 / 10) + 20
    EXPECT_EQ(map.grid().Cell(240, 240).PathValue(), -1);

    // A mesh with only nodraw surfaces keeps their bounds: the door made clip too.
    const MapWriter w = MinimalMap();
    std::string bytes = w.Bytes();
    Poke(bytes, w.FieldOffset(kLumpSurfaces, 3, 8), 1);
    ASSERT_TRUE(Load(bytes)) << Text();
    EXPECT_TRUE(map.meshes()[1].drawIndices.empty());
    EXPECT_EQ(Xyz(map.meshes()[1].bounds.minimum), (Floats{40, 0, 0}));
    EXPECT_EQ(Xyz(map.meshes()[1].bounds.maximum), (Floats{210, 30, 50}));
}

TEST_F(MapLoadTest, MeshesAreFoundRetexturedHiddenAndGivenCallbacks)
{
    ASSERT_TRUE(Load(MinimalMap().Bytes())) << Text();
    EXPECT_EQ(map.FindMesh("*1"), 1);
    EXPECT_EQ(map.FindMesh("*2"), -1);
    EXPECT_EQ(map.FindMesh(""), -1);
    EXPECT_EQ(map.FindMeshSurface(0, "TEXTURES/Wall"), 1);
    EXPECT_EQ(map.FindMeshSurface(0, "door"), -1);
    EXPECT_EQ(map.FindMeshSurface(-1, "door"), -1);

    map.SetSurfaceShader(1, 0, "Door");
    EXPECT_EQ(map.meshes()[1].surfaces[0].shader->name, "door");
    map.SetSurfaceShader(1, 2, "clip");   // no such surface
    map.SetSurfaceShader(2, 0, "clip");   // no such mesh
    map.SetSurfaceShader(-1, 0, "clip");
    EXPECT_EQ(map.FindMeshSurface(1, "clip"), -1);

    Vector centre{};
    EXPECT_TRUE(map.GetMeshCenter(1, centre));
    EXPECT_EQ(Xyz(centre), (Floats{50, 15, 50}));
    EXPECT_FALSE(map.GetMeshCenter(-1, centre));
    EXPECT_FALSE(map.GetMeshCenter(2, centre));

    map.SetMeshVisible(1, false);
    map.SetMeshVisible(7, false);
    EXPECT_FALSE(map.meshes()[1].visible);
    EXPECT_TRUE(map.meshes()[0].visible);

    // Each call hands back the reference the map lets go of.
    EXPECT_EQ(map.ModelSetCallback("*1", 5), -1);
    EXPECT_EQ(map.ModelSetCallback("*1", 6), 5);
    EXPECT_EQ(map.ModelSetCallback("*9", 7), 7);
    EXPECT_EQ(map.ModelSetCallback("*0", 8), -1);
    EXPECT_EQ(map.ModelClearCallback("*0"), 8);
    EXPECT_EQ(map.ModelClearCallback("*0"), -1);
    EXPECT_EQ(map.ModelSetCallback("*0", 9), -1);
    EXPECT_EQ(map.ModelClearAllCallbacks(), (std::vector<int>{9, 6}));
    EXPECT_EQ(map.meshes()[1].callbackReference, -1);
}

TEST_F(MapLoadTest, FreeReleasesTheGridsObjectsAndAFailedLoadLeavesNoMap)
{
    ASSERT_TRUE(Load(MinimalMap().Bytes()));
    MapGrid& grid = map.grid();
    const Collider* collider = grid.ColliderAdd(1, {}, 1);
    grid.ColliderAdd(2, {}, 1);
    const Entity* entity = grid.EntityAdd(3, {});
    map.Free();
    EXPECT_FALSE(map.loaded());
    EXPECT_EQ(grid.size(), 0);
    EXPECT_FALSE(grid.FindCollider(collider) || grid.FindEntity(entity));

    ASSERT_TRUE(Load(MinimalMap().Bytes()));
    EXPECT_FALSE(Load(MinimalMap().Bytes(2)));
    EXPECT_NE(Text().find("^1Error: maps/test.map has an invalid version! (expected 3, got 2).\n"), std::string::npos);
    EXPECT_FALSE(map.loaded());
    EXPECT_TRUE(map.meshes().empty());
}

// Every directory entry pushed outside the file or off whole records.
TEST_F(MapLoadTest, DamagedLumpDirectoriesAreRefused)
{
    const MapWriter w = MinimalMap();
    const std::string good = w.Bytes();
    const uint32_t size = uint32_t(good.size());
    for (int lump = 0; lump < kLumpCount; ++lump) {
        const std::string name = "lump " + std::to_string(lump) + " ";
        const size_t offsetField = 8 + size_t(lump) * 8, lengthField = offsetField + 4;
        uint32_t length;
        memcpy(&length, &good[lengthField], 4);
        for (uint32_t offset : {size, size - length + 1, 0xFFFFFFF0u}) {
            std::string bytes = good;
            Poke(bytes, offsetField, offset);
            ExpectRefused(bytes, name + "(offset " + std::to_string(offset));
        }
        std::string bytes = good;
        Poke(bytes, lengthField, length - 1);
        ExpectRefused(bytes, name + "is " + std::to_string(length - 1) + " bytes long");
        Poke(bytes, lengthField, 0xFFFFFFFFu);
        ExpectRefused(bytes, name + "(offset ");
    }
    std::string bytes = good;
    Poke(bytes, 8 + 3 * 8 + 4, 4 * 28);
    ExpectRefused(bytes, "there are 5 triangles but 4 triangle planes and 5 neighbour records");
    ExpectRefused(MapWriter().Bytes(), "it has no meshes, not even the world");
}

TEST_F(MapLoadTest, IndexesOutsideTheirTablesAreRefused)
{
    struct Damage {
        MapLump lump;
        uint32_t record, at, value;
        const char* fault;
    };
    const uint32_t nan = 0x7FC00000u, huge = 0x7149F2CAu;  // 1e30
    const Damage damages[] = {
        {kLumpVertices, 0, 0, nan, "vertex 0 has a position that is not a finite number"},
        {kLumpVertices, 12, 0, huge, "the level is too large for its grid"},
        {kLumpTriangles, 0, 4, 13, "triangle 0 names vertex 13, but there are 13"},
        {kLumpSurfaces, 1, 0, 5, "surface 1 lists 1 triangles from 5, but there are 5"},
        {kLumpSurfaces, 1, 4, 0xFFFFFFFFu, "surface 1 lists 4294967295 triangles from 2"},
        {kLumpSurfaces, 2, 8, 3, "surface 2 names shader 3, but there are 3"},
        {kLumpSurfaces, 2, 8, uint32_t(-2), "surface 2 names shader -2"},
        {kLumpRooms, 0, 4, 5, "room 0 lists 5 surfaces from 0, but there are 4"},
        {kLumpRooms, 0, 12, 0x43FA0000u, "room 0 has bounds that are inverted or not finite"},  // minimum x 500
        {kLumpRooms, 0, 28, nan, "room 0 has bounds that are inverted or not finite"},
        {kLumpMeshes, 1, 0, 3, "mesh 1 lists 1 brushes from 3, but there are 3"},
        {kLumpMeshes, 1, 4, 2, "mesh 1 lists 2 brushes from 2"},
        {kLumpMeshes, 1, 8, 3, "mesh 1 lists 2 surfaces from 3, but there are 4"},
        {kLumpMeshes, 0, 12, 0xFFFFFFFFu, "mesh 0 lists 4294967295 surfaces"},
        {kLumpBrushes, 0, 0, 3, "brush 0 names shader 3, but there are 3"},
        {kLumpBrushes, 2, 4, 4, "brush 2 lists 1 sides from 4, but there are 4"},
        {kLumpBrushes, 0, 8, 5, "brush 0 lists 5 sides from 0"},
        {kLumpBrushSides, 3, 0, 4, "brush side 3 names plane 4, but there are 4"},
        {kLumpBspNodes, 0, 32, 4, "BSP node 0 names plane 4, but there are 4"},
        {kLumpBspNodes, 0, 24, 2, "BSP node 0 names node 2, but there are 2"},
        {kLumpBspNodes, 0, 28, uint32_t(-3), "BSP node 0 names leaf 2, but there are 2"},
        {kLumpBspNodes, 1, 28, 0x80000000u, "BSP node 1 names leaf 2147483647"},
        {kLumpBspNodes, 1, 24, 1, "BSP node 1 names node 1, which does not come after it"},
        {kLumpBspNodes, 0, 28, 1, "BSP node 1 has more than one parent"},
        {kLumpBspLeaves, 1, 24, 2, "BSP leaf 1 lists 2 leaf brushes from 2, but there are 3"},
        {kLumpBspLeaves, 0, 28, 0xFFFFFFFFu, "BSP leaf 0 lists 4294967295 leaf brushes"},
        {kLumpLeafBrushes, 2, 0, 3, "leaf brush 2 names brush 3, but there are 3"},
    };
    const MapWriter w = MinimalMap();
    for (const Damage& damage : damages) {
        std::string bytes = w.Bytes();
        Poke(bytes, w.FieldOffset(damage.lump, damage.record, damage.at), damage.value);
        ExpectRefused(bytes, damage.fault);
    }
}

TEST_F(MapLoadTest, HostileCountsAreRefusedBeforeTheyCostMemory)
{
    MapWriter copies = MinimalMap();
    for (int i = 0; i < 2100; ++i)
        copies.Mesh(0, 0, 0, 4);  // every surface again and again
    ExpectRefused(copies.Bytes(), "the triangles are referred to too many times over");

    MapWriter deep = MinimalMap();
    for (int32_t i = 2; i <= 1026; ++i)
        deep.Node(i < 1026 ? i + 1 : 0, 0, 0);
    std::string bytes = deep.Bytes();
    Poke(bytes, deep.FieldOffset(kLumpBspNodes, 1, 28), 2);  // node 1 leads down the chain
    ExpectRefused(bytes, "the BSP tree is deeper than 1024 nodes");
}

TEST_F(MapLoadTest, EveryCutShortFileIsRefused)
{
    const std::string good = MinimalMap().Bytes();
    // Every length through the header, then a sample of the rest.
    for (size_t length = 0; length < good.size(); length += length < 130 ? 1 : 17) {
        ClearText();
        EXPECT_FALSE(Load(good.substr(0, length))) << length;
        EXPECT_FALSE(map.loaded());
        EXPECT_NE(Text().find("^1Error: maps/test.map "), std::string::npos) << length;
    }
}

}  // namespace

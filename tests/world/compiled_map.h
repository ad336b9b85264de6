// Maps written as sources in the test, compiled by the map compiler and loaded, for the trace and camera tests.
#pragma once

#include "mapcompiler.h"
#include "support/shader_console_test.h"
#include "world/map.h"

#include <gtest/gtest.h>

#include <string>

// Floor, four walls, a 4-unit step, a 6-unit ledge, a 2-unit wall and a kerb 4 high and 2 wide in the world; mesh 1 a
// nonsolid "clip" volume, mesh 2 a solid box that scripts can move. The floor's top is at y = 0.
inline const char kTraceRoomSource[] = R"(
mesh 0 {
    brush { box -528 -16 -528 528 0 528 }
    brush { box 512 0 -528 528 256 528 }
    brush { box -528 0 512 512 256 528 }
    brush { box -528 0 -528 -512 256 512 }
    brush { box -512 0 -528 512 256 -512 }
    brush { box 100 0 -100 200 4 100 }
    brush { box -200 0 -100 -100 6 100 }
    brush { box -100 0 300 100 100 302 }
    brush { box -100 0 -300 100 4 -298 }
}
mesh 1 {
    content clip
    brush { box 300 0 -300 400 100 -200 }
}
mesh 2 {
    brush { box -350 0 -350 -300 50 -300 }
}
)";

class CompiledMapTest : public ShaderConsoleTest {
protected:
    CompiledMapTest() : ShaderConsoleTest("shaders/test.shader", "clip\n{\n\tsurfaceparm nonsolid\n}\n") {}
    void TearDown() override
    {
        map.Free();
        ShaderConsoleTest::TearDown();
    }

    void Load(const MapSource& source)
    {
        MapWriter out;
        CompileMap(source, out);
        WriteData("maps/test.map", out.Bytes());
        ASSERT_TRUE(map.Load("maps/test.map")) << Text();
    }
    // Compiled to maps/test.map; the source's braces go on lines of their own, as the reader wants them.
    void Load(const std::string& text)
    {
        std::string lines;
        for (char c : text)
            lines += c == '{' || c == '}' ? std::string("\n") + c + "\n" : std::string(1, c);
        WriteData("maps/test.txt", lines);
        MapSource source;
        ASSERT_TRUE(ReadMapSource("maps/test.txt", source)) << Text();
        Load(source);
    }

    Map map;
};

// The round trip every source kind takes: the test's source (a mesh "body" of shader "models/legs" on two bones, six
// vertices split between them, animations "Walk" and "Kick" of up to a second) is converted, the engine poses the
// result, and at sampled times every vertex stands where the test's own evaluation of the source puts it, bound to its
// heaviest bone.
#pragma once

#include "modelconverter.h"
#include "support/shader_console_test.h"
#include "world/modelinstance.h"
#include "world/modelmanager.h"

#include <assimp/scene.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

inline aiQuaternion Turn(float degrees, const aiVector3D& axis)
{
    return aiQuaternion(axis, degrees * 3.14159265f / 180.0f);
}

inline aiVector3D Position(const Vertex& vertex)
{
    return aiVector3D(vertex.position[0], vertex.position[1], vertex.position[2]);
}

class ModelConvRoundTrip : public ShaderConsoleTest {
protected:
    ModelConvRoundTrip() : ShaderConsoleTest("shaders/legs.shader", "models/legs\n{\n}\n") {}

    // The source's vertices at `seconds` into animation 0 (walk) or 1 (kick).
    using Evaluation = std::function<std::vector<aiVector3D>(unsigned animation, double seconds)>;

    // The source file converted with "Walk" looping; `rest`: its vertices at rest, as the engine finds them unposed.
    void ExpectPosedLikeSource(const std::string& source, const std::vector<aiVector3D>& rest,
                               const Evaluation& evaluate)
    {
        ConvertedModel converted;
        std::string error;
        ASSERT_TRUE(ConvertModel(source, {"", {"Walk"}}, converted, error)) << error;
        ASSERT_EQ(converted.warnings.size(), 1u);
        EXPECT_EQ(converted.warnings[0],
                  "mesh body: 6 vertices weighted to more than one bone, each bound to its heaviest");
        EXPECT_NE(converted.kra.find("combo walk 2"), std::string::npos) << converted.kra;
        EXPECT_NE(converted.kra.find("combo kick "), std::string::npos) << converted.kra;
        // Vertices grouped by bone, the unbound first, as the engine reads them in one pass.
        const std::string& krm = converted.krm;
        const uint32_t mesh = FileField<uint32_t>(krm, 20), vertices = mesh + FileField<uint32_t>(krm, mesh + 292);
        std::vector<int> groups;
        for (int v = 0; v < FileField<int16_t>(krm, mesh + 290); ++v)
            groups.push_back((FileField<uint16_t>(krm, vertices + 60 * size_t(v) + 56) + 1) & 0xFFFF);
        EXPECT_TRUE(std::is_sorted(groups.begin(), groups.end()));
        WriteData("models/legs.krm", converted.krm);
        WriteData("models/legs.kra", converted.kra);
        Model model;
        ASSERT_TRUE(LoadModelFile("models/legs.krm", model));
        ASSERT_EQ(model.meshes.size(), 1u);
        EXPECT_EQ(model.meshes[0].shader->name, "models/legs");
        EXPECT_EQ(Text(), "") << "no warnings on loading";

        // Each source vertex's place in the engine's mesh, where it stands unposed.
        ModelInstance instance(model, {}, {}, {1, 1, 1});
        instance.Prepare(false);
        const VertexArray& unposed = instance.posedVertices(0);
        std::vector<size_t> engineOf;
        for (const aiVector3D& v : rest) {
            const auto apart = [&v](const Vertex& a, const Vertex& b) {
                return (Position(a) - v).Length() < (Position(b) - v).Length();
            };
            engineOf.push_back(size_t(std::min_element(unposed.begin(), unposed.end(), apart) - unposed.begin()));
            ASSERT_LT((Position(unposed[engineOf.back()]) - v).Length(), 1e-4f) << engineOf.size();
        }
        const float tolerance = 0.001f * 2.0f * model.bounds.radius;

        for (const auto& [combo, animation] : {std::make_pair("walk", 0u), std::make_pair("kick", 1u)}) {
            ModelInstance posed(model, {}, {}, {1, 1, 1});
            posed.animator().Play(combo, 0, 0.0f, 1.0f);
            // Up to the end, where a loop goes round to its start.
            for (uint32_t ms = 0; ms < 1000; ms += 25) {
                posed.animator().Update(ms);
                posed.Prepare(false);
                const std::vector<aiVector3D> expected = evaluate(animation, ms * 0.001);
                float worst = 0.0f;
                for (size_t v = 0; v < rest.size(); ++v)
                    worst = std::max(worst, (Position(posed.posedVertices(0)[engineOf[v]]) - expected[v]).Length());
                EXPECT_LT(worst, tolerance) << combo << " at " << ms << " ms";
            }
        }
    }

    // A little-endian field of a written file.
    template <typename T>
    static T FileField(const std::string& bytes, size_t at)
    {
        T value{};
        if (at + sizeof(T) <= bytes.size())
            std::memcpy(&value, bytes.data() + at, sizeof(T));
        else
            ADD_FAILURE() << "a field past the end of the file";
        return value;
    }
};

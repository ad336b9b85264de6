#include "support/test_commands.h"

#include "console/console.h"
#include "render/glstatecache.h"
#include "render/scenerenderer.h"
#include "world/map.h"
#include "world/trace.h"

#include <cstdlib>
#include <set>
#include <sstream>
#include <string>

namespace {

Vector At(const float* values)
{
    return {values[0], values[1], values[2]};
}

void Add(const char* name, int numbers, void (*run)(const CommandArgs& args, const float* values))
{
    gConsole->AddCommand(name, [=](const CommandArgs& args) {
        if (args.Count() < 1 + numbers) {
            gConsole->Print("%s: %i numbers wanted\n", name, numbers);
            return;
        }
        float values[9];
        for (int i = 0; i < numbers; ++i)
            values[i] = float(atof(args[1 + i]));
        run(args, values);
    });
}

void PrintTrace(const CommandArgs& args, const float* v)
{
    const Vector start = At(v);
    const TraceResult r = Trace(*gMap, start, At(v + 3), At(v + 6), args.Count() > 10 && atoi(args[10]) == 1);
    const Vector end = r.ScriptEnd(start);
    std::string callbacks;
    for (int reference : r.callbacks)
        callbacks += " " + std::to_string(reference);
    gConsole->Print("trace hit %i end %g %g %g reflected %g %g %g normal %g %g %g stepped %i refused %i "
                    "callbacks%s\n",
                    r.hit, end.x, end.y, end.z, r.reflected.x, r.reflected.y, r.reflected.z, r.normal.x, r.normal.y,
                    r.normal.z, r.stepped, r.refused, callbacks.c_str());
}

}  // namespace

void RegisterTestCommands()
{
    gConsole->AddCommand("test_visibleRooms", [](const CommandArgs&) {
        gConsole->Print("visible rooms: %i\n", gMap->VisibleRoomCount());
    });
    gConsole->AddCommand("test_scene", [](const CommandArgs&) {
        gConsole->Print("scene: %u triangles, %i lights\n", gSceneRenderer->triangleCount(),
                        gSceneRenderer->shownLightCount());
    });
    Add("test_trace", 9, PrintTrace);
    Add("test_ray", 6, [](const CommandArgs&, const float* v) {
        gConsole->Print("ray %g\n", RayTrace(*gMap, At(v), At(v + 3)));
    });
    Add("test_colliderAdd", 5, [](const CommandArgs&, const float* v) {
        if (gMap->grid().ColliderAdd(int(v[0]), At(v + 1), v[4]))
            gConsole->Print("collider %i added\n", int(v[0]));
        else
            gConsole->Print("no collider\n");
    });
    Add("test_colliderCheck", 7, [](const CommandArgs&, const float* v) {
        std::string hits;
        for (const ColliderHit& hit : gMap->grid().ColliderCheck(At(v), At(v + 3), v[6]))
            hits += " " + std::to_string(hit.reference) + " " + std::to_string(hit.t0) + " " +
                    std::to_string(hit.t1) + ";";
        gConsole->Print("colliders%s\n", hits.c_str());
    });
    Add("test_pathAdd", 4, [](const CommandArgs&, const float* v) { gMap->PathAdd(int(v[0]), At(v + 1)); });
    Add("test_pathGetClosest", 3, [](const CommandArgs&, const float* v) {
        gConsole->Print("path %i\n", gMap->grid().PathGetClosest(At(v)));
    });
}

void CheckGLStateCache()
{
    static std::set<std::string> reported;
    std::istringstream differences(gGLState.Differences());
    for (std::string line; std::getline(differences, line);)
        if (reported.insert(line).second)
            gConsole->Print("GL state cache: %s\n", line.c_str());
}

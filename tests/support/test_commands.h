// Console commands of the test build only: they print what no script
// function tells yet, so engine-level tests can read it on standard output.
//   test_visibleRooms                       "visible rooms: N"
//   test_trace SX SY SZ MX MY MZ RX RY RZ [1]  the movement trace (1: stop at contact)
//   test_ray AX AY AZ BX BY BZ               "ray F"
//   test_colliderAdd REF X Y Z R            "collider REF added" or "no collider"
//   test_colliderCheck X0 Y0 Z0 X1 Y1 Z1 R  "colliders REF t0 t1; ..."
//   test_pathAdd VALUE X Y Z, test_pathGetClosest X Y Z   "path V"
//   test_scene                               "scene: T triangles, L lights" (last frame's)
// The test build also checks, at the end of every frame, that the GL state
// cache holds what GL holds, printing "GL state cache: <state>: not what GL
// holds" for each state that does not (once per state and run).
#pragma once

void RegisterTestCommands();
void CheckGLStateCache();

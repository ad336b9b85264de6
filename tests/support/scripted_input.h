// Test builds only: input events named in a file, queued at chosen frames,
// so an engine-level test gets exactly the input it asserts on whatever the
// machine's load. The file is named by MORVATHEN_TEST_INPUT; each line is
//   <frame> press|down|up <name>  a key by its binding name ("k", "return", "`")
//   <frame> type <text>           every character of the rest of the line
//   <frame> move <dx> <dy>        the real pointer, moved by that much
//   <frame> warp <x> <y>          the real pointer, put at that place in the window
//   <frame> click <button>        an SDL mouse button (1 left, 3 right) pressed
//                                 and released where the pointer is
// Frames count the main loop's turns from 0; lines come in frame order.
// The test build also has the console commands of support/test_commands.h.
#pragma once

// Called once a frame before the input poll: queues what the file holds for
// this frame, reading the file on the first call.
void QueueScriptedInput();

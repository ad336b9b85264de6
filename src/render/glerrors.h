// GL errors are sticky: a check made after a call also sees what earlier
// calls left behind unless those are drained first.
#pragma once

// Discards pending GL errors, so the next check sees only its own.
void DrainGLErrors();

#pragma once

// Keys and clicks the window system queued before something appeared on screen
// (a question, a warning, the next picture) were meant for what was there
// before. Delivers everything queued so far and drops those: only input given
// while the new thing is on screen acts on it.
void discardQueuedInput();

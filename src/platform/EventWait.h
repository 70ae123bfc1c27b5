#pragma once

// The one way this single-threaded program waits: sleep until the next event (socket
// data, a timer tick, a click) and handle it. Callers loop on their own flags.
void YieldToEventLoop();

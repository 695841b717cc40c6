// Letting the user interface catch up while long work runs on its thread.
#pragma once

// Processes every pending event. TRUE when a request to quit the application was among them:
// the request is consumed and counts as a request to stop the work.
bool PumpMessages();

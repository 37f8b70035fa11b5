// Whoever drives a core: the window, the command-line converter or a test. It hears the list
// and run events and answers the user prompts, all on its own thread.
#pragma once

#include "app/RunEvents.h"
#include "app/UserPrompts.h"

class RunHost : public RunEvents, public UserPrompts {};

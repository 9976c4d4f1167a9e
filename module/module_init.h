// Work the module does when a host first enters it and after the host's last exit.
#pragma once

namespace vanto {

// Creates the SDK's process-wide singletons once. Their lazy creation is not safe when two threads
// get there first at the same time, and edit controllers create one in their constructor, so they
// are made before any instance can exist. Safe to call any number of times, from any thread.
void createSdkSingletons();

bool initModule();
void deinitModule();

} // namespace vanto

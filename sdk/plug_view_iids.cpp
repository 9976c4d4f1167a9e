// Interface ids of the editor interfaces. The SDK copy we build from declares them in its headers but
// defines them nowhere (its users define them themselves), so CPluginView and hosts need them here.
#include "pluginterfaces/gui/iplugview.h"
#include "pluginterfaces/gui/iplugviewcontentscalesupport.h"

namespace Steinberg {
DEF_CLASS_IID(IPlugView)
DEF_CLASS_IID(IPlugFrame)
DEF_CLASS_IID(IPlugViewContentScaleSupport)
#if SMTG_OS_LINUX
namespace Linux {
DEF_CLASS_IID(IEventHandler)
DEF_CLASS_IID(ITimerHandler)
DEF_CLASS_IID(IRunLoop)
} // namespace Linux
#endif
} // namespace Steinberg

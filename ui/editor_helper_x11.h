// What GtkPlug does not do for itself when it sits in a host's window, done with Xlib: mapping and
// sizing it, taking the keyboard focus on a click (hosts never send XEmbed focus), handing keys the
// page leaves alone to the host's window, and surviving X errors about a window the host destroyed.
#pragma once

#include <gtk/gtk.h>

namespace vanto {

// X errors are reported and ignored; a lost X connection ends the helper quietly.
void installX11ErrorHandlers();

// Maps the plug and gives it `width` x `height` physical pixels (GTK sizes are those divided by the
// screen's scale factor).
void sizePlug(GtkWidget* plug, int width, int height);

// Focus on click and focus-out for the plug, and key forwarding to `hostWindow` for `webView`'s
// unhandled keys.
void connectPlugFocusAndKeys(GtkWidget* plug, unsigned long hostWindow);

} // namespace vanto

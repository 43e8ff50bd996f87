// Keeps a top-level window out of the taskbar and the pager. Call before the window is first shown.
#pragma once

class QWidget;

namespace dialoon {

void keepOffTaskbar(QWidget* window);

} // namespace dialoon

#include "platform/qt/FormEventRouter.h"

#include "platform/qt/QtForm.h"

namespace skyroll::qt {

bool FormEventRouter::eventFilter(QObject* watched, QEvent* event) {
    return m_form ? m_form->route(watched, event) : false;
}

}  // namespace skyroll::qt

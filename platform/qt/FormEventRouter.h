#pragma once
// Watches the widgets of one form and hands their events to the form. It
// lives as a child of the form's window, so it may outlive the QtForm object
// for a moment after an unload; detach() cuts it loose then.

#include <QObject>

namespace skyroll::qt {

class QtForm;

class FormEventRouter final : public QObject {
public:
    FormEventRouter(QtForm* form, QObject* parent) : QObject(parent), m_form(form) {}
    void detach() { m_form = nullptr; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QtForm* m_form;
};

}  // namespace skyroll::qt

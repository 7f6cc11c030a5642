// Makes the widgets of a dialog template inside a window and finds them by ID.
#pragma once

#include <QHash>
#include <QRect>
#include <QString>
#include <vector>

#include "control_template.h"

class QWidget;

// A template rectangle in pixels of the window's client area.
QRect TemplateRectToPixels(const DialogItem& item);

class DialogControls {
public:
    // Creates every control of `dialogTemplate` as a child of `window`, in
    // template order, with its text, place, visibility, focus order and
    // accessible name.
    void Create(QWidget& window, const DialogTemplate& dialogTemplate);

    // The control with this ID, or null.
    QWidget* Find(int id) const { return m_byId.value(id, nullptr); }
    // Every control, in template order.
    const std::vector<QWidget*>& All() const { return m_controls; }

private:
    QHash<int, QWidget*> m_byId;
    std::vector<QWidget*> m_controls;
};

// The name by which screen readers and GUI automation find a control: the row
// controls by role and row number, text-less controls by role, others by text.
QString AccessibleNameFor(const DialogItem& item);

// The ID a control was made with (kNoId for none).
int ControlId(const QWidget& control);

// The About box: template 100, OK and Escape close it.
#pragma once

#include <QDialog>

#include "dialog_builder.h"

class AboutDialog : public QDialog {
public:
    explicit AboutDialog(QWidget* parent = nullptr);

    QWidget* GetDlgItem(int id) const { return m_controls.Find(id); }

private:
    DialogControls m_controls;
};

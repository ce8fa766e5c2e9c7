#pragma once
#include <QDialog>

class QLabel;
class QPushButton;

// "Über Holmwacht": program icon, product name and version.
class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);

    QLabel* ProductName;
    QLabel* Version;
    QLabel* Settings;
    QPushButton* OKButton;

    // As opened from "Über ...": caption and version label with the program's versions;
    // shown modally through the dialog wrapper.
    static void zeigen(QWidget* parent);
};

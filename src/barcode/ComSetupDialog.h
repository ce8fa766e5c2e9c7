#pragma once
#include "ComPort.h"

#include <QDialog>

class QCheckBox;
class QComboBox;

// "Communication Settings": the parameters of one port object, edited and handed back on OK.
class TComSetupDialog : public QDialog {
    Q_OBJECT
public:
    explicit TComSetupDialog(const ComSettings& settings, QWidget* parent = nullptr);

    // The parameters as the controls show them.
    ComSettings settings() const;

private:
    void presetRtsCts();
    void presetDtrDsr();
    void presetXonXoff();
    void clearAll();

    ComSettings m_start;
    QComboBox* m_port;
    QComboBox* m_baud;
    QComboBox* m_stop;
    QComboBox* m_data;
    QComboBox* m_parity;
    QCheckBox* m_cts;
    QCheckBox* m_dsr;
    QCheckBox* m_xonOut;
    QCheckBox* m_xonIn;
    QComboBox* m_rts;
    QComboBox* m_dtr;
};

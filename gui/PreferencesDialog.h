// The preferences: the box's port (the serial devices that are there, the
// simulated box, or none) with a test of the logon, the decimal comma, the
// single-page presentation and the MIDI port. Kept in the configuration
// stores the terminal uses too.
#pragma once

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QRadioButton;

namespace gui {

class PreferencesDialog final : public QDialog {
    Q_OBJECT

  public:
    explicit PreferencesDialog(QWidget* parent = nullptr);

    QComboBox* PortList() const { return port_; }
    bool SinglePage() const;
    // The stored preference, which a project without its own flag follows.
    static bool SinglePagePreferred();
    // Stores the choices and opens the box on the chosen port when it is
    // not the one open.
    void Apply();
    // Opens the chosen port and waits a few seconds for a box to log on;
    // the answer is shown beside the button. True when one did.
    bool TestPort();

  private:
    QComboBox* port_ = nullptr;
    QLabel* testResult_ = nullptr;
    QRadioButton* comma_ = nullptr;
    QRadioButton* point_ = nullptr;
    QCheckBox* singlePage_ = nullptr;
    QComboBox* midi_ = nullptr;
};

}  // namespace gui

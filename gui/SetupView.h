// The setup page in the window: the 17 ports of the box in a table, with
// the device plugged into each, its name, the unit an input is read in, its
// calibration offset, the instructions a touch sensor starts, and the live
// reading, refreshed every 500 ms. Every edit goes through the setup's own
// operations, so the rules are those of the dot-primitives; a refused edit
// is shown as a message and the old value comes back.
#pragma once

#include <QTimer>
#include <QWidget>
#include <array>
#include <cstdint>

#include "box/SensorSetup.h"

class QTableWidget;
class QTableWidgetItem;

namespace gui {

class SetupView : public QWidget {
    Q_OBJECT

  public:
    enum Column { kPort, kDevice, kName, kUnit, kOffset, kReading, kPressed, kReleased, kColumns };
    static constexpr int kRefreshMilliseconds = 500;

    explicit SetupView(QWidget* parent = nullptr);

    QTableWidget* Table() const { return table_; }

  public slots:
    // Shows the open project's setup as it is now (Logo may have changed
    // it) and the inputs' readings; without a project the table is empty.
    void Refresh();

  private:
    void ShowPort(CSetupData& setup, int port);
    void ShowUnits(CSetupData& setup, int port);
    void Edited(QTableWidgetItem* item);
    void DeviceChosen(int port, int32_t device);
    void UnitChosen(int port, int index);
    // The text shown in a cell; an item the user is editing is left alone.
    void ShowText(int port, Column column, const QString& text, bool editable);
    bool Editing(int port, Column column) const;

    QTableWidget* table_;
    QTimer timer_;
    bool showing_ = false;  // cells written by Refresh are not the user's edits
    std::array<int32_t, kSetupPorts> shownDevice_{};
};

}  // namespace gui

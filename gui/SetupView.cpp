#include "gui/SetupView.h"

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QTableWidget>
#include <QVBoxLayout>
#include <cmath>
#include <memory>
#include <string>

#include "LogoCore/HandleData.h"
#include "LogoCore/LogoErrors.h"
#include "box/SetupDevices.h"
#include "box/SetupUnits.h"
#include "platform/MessageBox.h"
#include "platform/TextCatalog.h"
#include "project/KinetraDoc.h"

namespace gui {

namespace {

constexpr int32_t kTextFirstHeader = 3300;  // one per column, in column order
constexpr int32_t kTextFirstDevice = 3310;  // one per port type, 0-8
constexpr int kActionInputs = 4;            // only inputs 1-4 report presses

QString Resource(int32_t id) {
    return QString::fromStdString(platform::ResourceText(id));
}

QString OffsetText(double offset) {
    QString text = QString::asprintf("%.1f", offset);
    return text == QStringLiteral("-0.0") ? QStringLiteral("0.0") : text;
}

bool HasOffset(int32_t tool) {
    return tool >= kToolRaw && tool <= kToolFahrenheit;
}

void MarkModified() {
    if (const auto doc = CKinetraDoc::Current()) doc->SetModified(true);
}

// A refused edit: the catalogue's message, shown as the window shows them.
void ShowRefusal(const LogoError& error) {
    const std::string text = WithoutLineEnd(ErrorText(error.handle));
    Release(error.handle);
    platform::ShowMessage(platform::MessageKind::Error, text);
}

}  // namespace

SetupView::SetupView(QWidget* parent) : QWidget(parent), table_(new QTableWidget(this)) {
    shownDevice_.fill(-1);
    table_->setColumnCount(kColumns);
    table_->setRowCount(kSetupPorts);
    QStringList headers;
    for (int column = 0; column < kColumns; ++column)
        headers << Resource(kTextFirstHeader + column);
    table_->setHorizontalHeaderLabels(headers);
    table_->verticalHeader()->hide();
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                            QAbstractItemView::AnyKeyPressed);
    table_->setAlternatingRowColors(true);
    for (int port = 0; port < kSetupPorts; ++port) {
        auto* label = new QTableWidgetItem(QString::fromStdString(PortLabel(port)));
        label->setFlags(Qt::ItemIsEnabled);
        label->setTextAlignment(Qt::AlignCenter);
        table_->setItem(port, kPort, label);
        for (int column = kName; column < kColumns; ++column) {
            auto* item = new QTableWidgetItem;
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            if (column == kOffset || column == kReading)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            table_->setItem(port, column, item);
        }
        auto* devices = new QComboBox;
        for (const int32_t device : DevicesForPort(port))
            devices->addItem(Resource(kTextFirstDevice + device), device);
        connect(devices, &QComboBox::activated, this, [this, port, devices](int index) {
            DeviceChosen(port, devices->itemData(index).toInt());
        });
        table_->setCellWidget(port, kDevice, devices);
    }
    QHeaderView* header = table_->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setStretchLastSection(true);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // The lists set their columns' widths, so that no device or unit is cut.
    QComboBox allDevices, allUnits;
    for (int32_t device = kPortNothing; device <= kPortMotor2; ++device)
        allDevices.addItem(Resource(kTextFirstDevice + device));
    for (const SetupUnit& unit : SetupUnits()) allUnits.addItem(Resource(unit.text));
    const int em = fontMetrics().horizontalAdvance(u'M');
    const int widths[kColumns] = {4 * em,  allDevices.sizeHint().width(),
                                  11 * em, allUnits.sizeHint().width(),
                                  6 * em,  7 * em,
                                  10 * em, 10 * em};
    for (int column = 0; column < kColumns; ++column)
        table_->setColumnWidth(column, widths[column]);
    table_->verticalHeader()->setDefaultSectionSize(allDevices.sizeHint().height() + 4);
    for (const Column column : {kOffset, kReading})
        table_->horizontalHeaderItem(column)->setTextAlignment(Qt::AlignCenter);
    connect(table_, &QTableWidget::itemChanged, this, &SetupView::Edited);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(table_);

    // A hidden page reads nothing (the box's readers are shared with Logo).
    connect(&timer_, &QTimer::timeout, this, [this] {
        if (isVisible()) Refresh();
    });
    timer_.start(kRefreshMilliseconds);
    Refresh();
}

void SetupView::Refresh() {
    const std::shared_ptr<CSetupData> setup = ActiveSetup();
    table_->setEnabled(setup != nullptr);
    showing_ = true;
    for (int port = 0; port < kSetupPorts; ++port) {
        if (setup) {
            ShowPort(*setup, port);
        } else {
            shownDevice_[port] = -1;  // the next project's devices are shown anew
            for (int column = kName; column < kColumns; ++column)
                ShowText(port, Column(column), {}, false);
        }
    }
    showing_ = false;
}

void SetupView::ShowPort(CSetupData& setup, int port) {
    const int32_t device = setup.GetPortType(port);
    if (device != shownDevice_[port]) {
        shownDevice_[port] = device;
        auto* devices = static_cast<QComboBox*>(table_->cellWidget(port, kDevice));
        devices->setCurrentIndex(devices->findData(device));
        ShowUnits(setup, port);
    }
    const bool input = port < kSetupInputs;
    const int32_t tool = input ? setup.GetToolType(port) : kToolNone;
    if (auto* units = qobject_cast<QComboBox*>(table_->cellWidget(port, kUnit))) {
        const SetupUnit* unit = UnitOfToolType(tool);
        const int index = unit ? units->findData(unit->toolType) : -1;
        if (index != units->currentIndex()) units->setCurrentIndex(index);
    }
    ShowText(port, kName, QString::fromStdString(setup.GetPortName(port)), true);
    ShowText(port, kOffset, HasOffset(tool) ? OffsetText(setup.GetOffset(port)) : QString(),
             HasOffset(tool));
    ShowText(port, kReading,
             input && device != kPortNothing ? QString::fromStdString(setup.ReadingText(port))
                                             : QString(),
             false);
    const bool actions = port < kActionInputs && device == kPortTouch;
    ShowText(port, kPressed, actions ? QString::fromStdString(setup.GetActionA(port)) : QString(),
             actions);
    ShowText(port, kReleased, actions ? QString::fromStdString(setup.GetActionB(port)) : QString(),
             actions);
}

// An input with a sensor offers the two units of the sensor.
void SetupView::ShowUnits(CSetupData& setup, int port) {
    const int32_t device = setup.GetPortType(port);
    QComboBox* units = nullptr;
    if (port < kSetupInputs) {
        for (const SetupUnit& unit : SetupUnits()) {
            if (unit.portType != device) continue;
            if (!units) units = new QComboBox;
            units->addItem(Resource(unit.text), unit.toolType);
        }
    }
    table_->removeCellWidget(port, kUnit);
    if (!units) return;
    connect(units, &QComboBox::activated, this,
            [this, port](int index) { UnitChosen(port, index); });
    table_->setCellWidget(port, kUnit, units);
}

void SetupView::ShowText(int port, Column column, const QString& text, bool editable) {
    QTableWidgetItem* item = table_->item(port, column);
    const Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable |
                                (editable ? Qt::ItemIsEditable : Qt::NoItemFlags);
    if (item->flags() != flags) item->setFlags(flags);
    if (Editing(port, column) || item->text() == text) return;
    item->setText(text);
}

bool SetupView::Editing(int port, Column column) const {
    // An open editor is a child of the viewport that has the focus.
    const QWidget* focus = QApplication::focusWidget();
    return focus && table_->viewport()->isAncestorOf(focus) && table_->currentRow() == port &&
           table_->currentColumn() == column;
}

void SetupView::Edited(QTableWidgetItem* item) {
    const std::shared_ptr<CSetupData> setup = ActiveSetup();
    if (showing_ || !setup) return;
    const int port = item->row();
    const std::string text = item->text().trimmed().toStdString();
    try {
        switch (item->column()) {
            case kName:
                if (text == setup->GetPortName(port)) return;
                setup->SetPortName(port, text);
                break;
            case kOffset: {
                bool number = false;
                const double offset = item->text().trimmed().replace(u',', u'.').toDouble(&number);
                if (!number || !std::isfinite(offset)) break;  // the old value comes back
                // What would show as -0.0 is no offset at all.
                setup->SetOffset(port, OffsetText(offset) == QStringLiteral("0.0") ? 0.0 : offset);
                break;
            }
            case kPressed:
                setup->SetActionA(port, text);
                break;
            case kReleased:
                setup->SetActionB(port, text);
                break;
            default:
                return;
        }
        MarkModified();
    } catch (const LogoError& error) {
        ShowRefusal(error);
    }
    Refresh();
}

void SetupView::DeviceChosen(int port, int32_t device) {
    const std::shared_ptr<CSetupData> setup = ActiveSetup();
    if (!setup || device == setup->GetPortType(port)) return;
    try {
        PlugDevice(*setup, port, device);
        MarkModified();
    } catch (const LogoError& error) {
        ShowRefusal(error);
    }
    Refresh();
}

void SetupView::UnitChosen(int port, int index) {
    const std::shared_ptr<CSetupData> setup = ActiveSetup();
    auto* units = qobject_cast<QComboBox*>(table_->cellWidget(port, kUnit));
    if (!setup || !units || index < 0) return;
    const SetupUnit* unit = UnitOfToolType(units->itemData(index).toInt());
    if (!unit || unit->toolType == setup->GetToolType(port)) return;
    ApplySetupUnit(*setup, port, *unit);
    MarkModified();
    Refresh();
}

}  // namespace gui

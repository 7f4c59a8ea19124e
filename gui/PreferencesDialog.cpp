#include "gui/PreferencesDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDialogButtonBox>
#include <QEventLoop>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

#include "LogoCore/NumberFormat.h"
#include "box/BoxLink.h"
#include "platform/ConfigStore.h"
#include "platform/MidiOutput.h"
#include "platform/NumberText.h"

namespace gui {

namespace {

constexpr int kLogonWaitMs = 3000;
constexpr std::string_view kGeneral = "General";
constexpr std::string_view kSinglePage = "Single Page";

std::string StoredPort() {
    std::string port;
    platform::ReadMachineText("ControlBox_Port", "COM1", &port);
    return port;
}

}  // namespace

PreferencesDialog::PreferencesDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(tr("Preferences"));

    port_ = new QComboBox;
    const SerialPortChoices choices = ListSerialPorts(StoredPort());
    for (const std::string& entry : choices.entries) port_->addItem(QString::fromStdString(entry));
    port_->setCurrentIndex(static_cast<int>(choices.selected));
    auto* test = new QPushButton(tr("&Test"));
    testResult_ = new QLabel;
    testResult_->setMinimumWidth(
        testResult_->fontMetrics().horizontalAdvance(tr("No box answered")) + 8);
    connect(test, &QPushButton::clicked, this, [this] { TestPort(); });
    auto* portRow = new QHBoxLayout;
    portRow->addWidget(port_, 1);
    portRow->addWidget(test);
    portRow->addWidget(testResult_);

    comma_ = new QRadioButton(tr("Decimal comma (0,5)"));
    point_ = new QRadioButton(tr("Decimal point (0.5)"));
    (platform::DecimalSeparator() == ',' ? comma_ : point_)->setChecked(true);
    auto* numbers = new QVBoxLayout;
    numbers->addWidget(comma_);
    numbers->addWidget(point_);

    singlePage_ = new QCheckBox(tr("Show one window at a time"));
    singlePage_->setChecked(SinglePagePreferred());

    midi_ = new QComboBox;
    midi_->addItem(tr("(the first that plays)"), QString());
    const std::string configured =
        platform::MachineStore().GetText(platform::kMachineSection, platform::kMidiPortSetting, "");
    for (const platform::MidiPortInfo& port : platform::ListMidiPorts()) {
        const QString id = QStringLiteral("%1:%2").arg(port.client).arg(port.port);
        midi_->addItem(QStringLiteral("%1 - %2 (%3)")
                           .arg(QString::fromStdString(port.clientName),
                                QString::fromStdString(port.portName), id),
                       id);
        if (id.toStdString() == configured) midi_->setCurrentIndex(midi_->count() - 1);
    }

    auto* form = new QFormLayout;
    form->addRow(tr("Box port:"), portRow);
    form->addRow(tr("Numbers:"), numbers);
    form->addRow(tr("Single page:"), singlePage_);
    form->addRow(tr("MIDI output:"), midi_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

bool PreferencesDialog::SinglePagePreferred() {
    return platform::UserProfile().GetNumber(kGeneral, kSinglePage, 0) != 0;
}

bool PreferencesDialog::SinglePage() const {
    return singlePage_->isChecked();
}

void PreferencesDialog::Apply() {
    const std::string port = port_->currentText().toStdString();
    platform::WriteMachineText("ControlBox_Port", port);
    if (port != ControlBox_PortName()) {
        ControlBox_Close();
        OpenBoxAndReport(port);
    }
    ChooseDecimalSeparator(comma_->isChecked() ? ',' : '.');
    platform::UserProfile().WriteNumber(kGeneral, kSinglePage, singlePage_->isChecked() ? 1 : 0);
    platform::WriteMachineText(platform::kMidiPortSetting,
                               midi_->currentData().toString().toStdString());
}

bool PreferencesDialog::TestPort() {
    const std::string port = port_->currentText().toStdString();
    testResult_->setText(tr("Trying..."));
    ControlBox_Close();
    const auto connected = [] {
        const LinkStatus status = ControlBox_LinkReport().status;
        return status == LinkStatus::kConnected || status == LinkStatus::kVirtual;
    };
    if (port != NoPortEntry()) {
        const int32_t code = ControlBox_Open(port);
        if (code != kOpenOk) {
            ControlBox_ReportOpenError(code);
        } else {
            // The logon runs on the link's threads; the dialog stays drawn meanwhile.
            QEventLoop wait;
            QTimer look;
            const QDeadlineTimer deadline(kLogonWaitMs);
            connect(&look, &QTimer::timeout, &wait, [&] {
                if (connected() || deadline.hasExpired()) wait.quit();
            });
            look.start(50);
            wait.exec();
        }
    }
    const bool answered = connected();
    testResult_->setText(answered ? tr("A box answered") : tr("No box answered"));
    return answered;
}

}  // namespace gui

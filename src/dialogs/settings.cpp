// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/settings.h"

#include <QAbstractSocket>
#include <QLineEdit>
#include <QPushButton>

#include "dialogs/buttonkeyfilter.h"
#include "resources/appresources.h"
#include "ui_settings.h"

Settings::Settings(QWidget* parent, UserPrompts* prompts)
    : QDialog(parent), ui(std::make_unique<Ui::Settings>()),
      m_ownPrompts(prompts ? nullptr : std::make_unique<UserPrompts>()),
      m_prompts(prompts ? prompts : m_ownPrompts.get())
{
    initAppResources();
    ui->setupUi(this);
    connectControls();
    ButtonKeyFilter::watchButtons(this);
}

Settings::~Settings() = default;

void Settings::connectControls()
{
    connect(ui->doubleSpinBoxBroadcastTime, &QDoubleSpinBox::textChanged, this, &Settings::onChangeBroadcastTime);
    connect(ui->doubleSpinBoxTimeout, &QDoubleSpinBox::textChanged, this, &Settings::onChangeTimeout);
    connect(ui->doubleSpinBoxThreadsNumber, &QDoubleSpinBox::textChanged, this, &Settings::onChangeNumbeOfThreads);
    connect(ui->doubleSpinBoxWaitForBytesWritten, &QDoubleSpinBox::textChanged, this,
            &Settings::onChangeWaitForBytesWritten);
    connect(ui->doubleSpinBoxWaitForReadyRead, &QDoubleSpinBox::textChanged, this, &Settings::onChangeWaitForReadyRead);
    connect(ui->doubleSpinBoxWaitForConnected, &QDoubleSpinBox::textChanged, this, &Settings::onChangeWaitForConnected);
    connect(ui->checkBoxEnable, &QCheckBox::stateChanged, this, &Settings::onChangeChangeFlagManualIP);
    connect(ui->checkBoxEnableUnicast, &QCheckBox::stateChanged, this, &Settings::onChangeChangeFlagUnicast);
    connect(ui->lineEditStart, &QLineEdit::textChanged, this, &Settings::onIpLineEditTextChanged);
    connect(ui->lineEditStop, &QLineEdit::textChanged, this, &Settings::onIpLineEditTextChanged);
    connect(ui->applyBtn, &QPushButton::released, this, &Settings::onApply);
    connect(ui->closeBtn, &QPushButton::released, this, &Settings::onClose);
}

bool Settings::eventFilter(QObject* watched, QEvent* event)
{
    return ButtonKeyFilter::filter(watched, event) || QDialog::eventFilter(watched, event);
}

void Settings::showBroadcastTime(float ms)
{
    m_shownBroadcastTime = ms;
    ui->doubleSpinBoxBroadcastTime->setValue(ms / millisecondsPerSecond);
}

void Settings::showTimeout(float ms)
{
    m_shownTimeout = ms;
    ui->doubleSpinBoxTimeout->setValue(ms / millisecondsPerSecond);
}

void Settings::showFlagManualIP(bool flag)
{
    m_shownFlagManualIP = flag;
    ui->checkBoxEnable->setChecked(flag);
}

void Settings::showFlagUnicast(bool flag)
{
    ui->checkBoxEnableUnicast->setChecked(flag);
    ui->lineEditStart->setEnabled(flag);
    ui->lineEditStop->setEnabled(flag);
    updateApplyState();
}

void Settings::showStartIP(const QHostAddress& ip)
{
    ui->lineEditStart->setText(ip.toString());
}

void Settings::showStopIP(const QHostAddress& ip)
{
    ui->lineEditStop->setText(ip.toString());
}

void Settings::showNumbeOfThreads(int number)
{
    m_shownNumbeOfThreads = number;
    ui->doubleSpinBoxThreadsNumber->setValue(number);
}

void Settings::showWaitForBytesWritten(int time)
{
    m_shownWaitForBytesWritten = time;
    ui->doubleSpinBoxWaitForBytesWritten->setValue(time);
}

void Settings::showWaitForReadyRead(int time)
{
    m_shownWaitForReadyRead = time;
    ui->doubleSpinBoxWaitForReadyRead->setValue(time);
}

void Settings::showWaitForConnected(int time)
{
    m_shownWaitForConnected = time;
    ui->doubleSpinBoxWaitForConnected->setValue(time);
}

void Settings::showParallelUpgrades(int count)
{
    m_shownParallelUpgrades = count;
    ui->spinBoxParallel->setValue(count);
}

void Settings::showMaxFailures(int count)
{
    m_shownMaxFailures = count;
    ui->spinBoxMaxFailures->setValue(count);
}

void Settings::onChangeBroadcastTime()
{
    m_editedBroadcastTime = static_cast<float>(ui->doubleSpinBoxBroadcastTime->value() * millisecondsPerSecond);
}

void Settings::onChangeTimeout()
{
    m_editedTimeout = static_cast<float>(ui->doubleSpinBoxTimeout->value() * millisecondsPerSecond);
}

void Settings::onChangeNumbeOfThreads()
{
    m_editedNumbeOfThreads = static_cast<int>(ui->doubleSpinBoxThreadsNumber->value());
}

void Settings::onChangeWaitForBytesWritten()
{
    m_editedWaitForBytesWritten = static_cast<int>(ui->doubleSpinBoxWaitForBytesWritten->value());
}

void Settings::onChangeWaitForReadyRead()
{
    m_editedWaitForReadyRead = static_cast<int>(ui->doubleSpinBoxWaitForReadyRead->value());
}

void Settings::onChangeWaitForConnected()
{
    m_editedWaitForConnected = static_cast<int>(ui->doubleSpinBoxWaitForConnected->value());
}

void Settings::onChangeChangeFlagManualIP()
{
    m_editedFlagManualIP = ui->checkBoxEnable->isChecked();
}

void Settings::onChangeChangeFlagUnicast()
{
    const bool unicast = ui->checkBoxEnableUnicast->isChecked();
    ui->lineEditStart->setEnabled(unicast);
    ui->lineEditStop->setEnabled(unicast);
    updateApplyState();
}

void Settings::onIpLineEditTextChanged(const QString& text)
{
    Q_UNUSED(text)
    if (!qobject_cast<QLineEdit*>(sender()))
        return;
    updateApplyState();
}

QString Settings::applyProblem() const
{
    if (!ui->checkBoxEnableUnicast->isChecked())
        return QString();
    const QString start = ui->lineEditStart->text().trimmed();
    const QString end = ui->lineEditStop->text().trimmed();
    const bool startBad = !isDottedIPv4(start);
    const bool endBad = !isDottedIPv4(end);
    if (startBad && endBad)
        return tr("Unicast Scan Range: start \"%1\" and end \"%2\" are not complete IPv4 addresses.").arg(start, end);
    if (!startBad && !endBad)
        return QString();
    const QString which = startBad ? tr("start") : tr("end");
    const QString text = startBad ? start : end;
    if (text.isEmpty())
        return tr("Unicast Scan Range: the %1 address is empty.").arg(which);
    return tr("Unicast Scan Range: the %1 address \"%2\" is not a complete IPv4 address.").arg(which, text);
}

void Settings::updateApplyState()
{
    const QString problem = applyProblem();
    ui->applyBtn->setEnabled(problem.isEmpty());
    ui->applyBtn->setToolTip(problem);
    ui->labelApplyProblem->setText(problem);
    for (QLineEdit* field : {ui->lineEditStart, ui->lineEditStop}) {
        QPalette palette = field->palette();
        const bool bad = !problem.isEmpty() && !isDottedIPv4(field->text().trimmed());
        // Red names the field at fault.
        palette.setColor(QPalette::Text, bad ? QColor(QLatin1String(invalidColour)) : QColor(Qt::black));
        field->setPalette(palette);
    }
}

bool Settings::isDottedIPv4(const QString& text)
{
    QHostAddress address;
    // The address parser also takes short forms such as "10.1", which name an address nobody typed.
    return text.count(QLatin1Char('.')) == 3 && address.setAddress(text) &&
           address.protocol() == QAbstractSocket::IPv4Protocol;
}

bool Settings::unicastRangeAcceptable()
{
    if (!ui->checkBoxEnableUnicast->isChecked())
        return true;
    const QString startText = ui->lineEditStart->text();
    const QString endText = ui->lineEditStop->text();
    QHostAddress start;
    QHostAddress end;
    // Apply only judges the field edited last, so the other one may still hold an unusable text.
    if (!start.setAddress(startText) || start.protocol() != QAbstractSocket::IPv4Protocol || !end.setAddress(endText) ||
        end.protocol() != QAbstractSocket::IPv4Protocol) {
        refuseUnicastRange(tr("The unicast scan range needs two IPv4 addresses, but it reads \"%1\" to \"%2\".\n\n"
                              "Please correct the range.")
                               .arg(startText, endText));
        return false;
    }
    if (end.toIPv4Address() < start.toIPv4Address()) {
        refuseUnicastRange(tr("The unicast scan range ends at %1, before its start %2.\n\nPlease enter an end "
                              "address that is not below the start address.")
                               .arg(endText, startText));
        return false;
    }
    const quint64 count = quint64(end.toIPv4Address() - start.toIPv4Address()) + 1;
    if (count > maxUnicastRangeAddresses) {
        refuseUnicastRange(tr("The unicast scan range from %1 to %2 holds %3 addresses, but a scan can sweep at most "
                              "%4.\n\nPlease choose a smaller range.")
                               .arg(startText, endText)
                               .arg(count)
                               .arg(maxUnicastRangeAddresses));
        return false;
    }
    return true;
}

void Settings::refuseUnicastRange(const QString& text)
{
    m_prompts->critical(this, tr("Settings"), text);
}

void Settings::onApply()
{
    if (!unicastRangeAcceptable())
        return;
    emitChangedValues();
    emitUnicastSettings();
    emit signalClose();
}

void Settings::emitChangedValues()
{
    if (m_editedBroadcastTime != m_shownBroadcastTime)
        emit signalChangeBroadcastTime(static_cast<int>(m_editedBroadcastTime));
    if (m_editedTimeout != m_shownTimeout)
        emit signalChangeTimeout(static_cast<int>(m_editedTimeout));
    if (m_editedFlagManualIP != m_shownFlagManualIP)
        emit signalChangeFlagManualIP(m_editedFlagManualIP);
    if (m_editedNumbeOfThreads != m_shownNumbeOfThreads)
        emit signalChangeNumbeOfThreads(m_editedNumbeOfThreads);
    if (m_editedWaitForBytesWritten != m_shownWaitForBytesWritten)
        emit signalChangeWaitForBytesWritten(m_editedWaitForBytesWritten);
    if (m_editedWaitForReadyRead != m_shownWaitForReadyRead)
        emit signalChangeWaitForReadyRead(m_editedWaitForReadyRead);
    if (m_editedWaitForConnected != m_shownWaitForConnected)
        emit signalChangeWaitForConnected(m_editedWaitForConnected);
    if (ui->spinBoxParallel->value() != m_shownParallelUpgrades)
        emit signalChangeParallelUpgrades(ui->spinBoxParallel->value());
    if (ui->spinBoxMaxFailures->value() != m_shownMaxFailures)
        emit signalChangeMaxFailures(ui->spinBoxMaxFailures->value());
}

void Settings::emitUnicastSettings()
{
    const bool unicast = ui->checkBoxEnableUnicast->isChecked();
    emit signalChangeFlagUnicast(unicast);
    if (!unicast)
        return;
    emit signalChangeStartIp(QHostAddress(ui->lineEditStart->text()));
    emit signalChangeEndIp(QHostAddress(ui->lineEditStop->text()));
}

void Settings::onClose()
{
    emit signalClose();
}

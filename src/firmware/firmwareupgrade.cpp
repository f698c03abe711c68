// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "firmware/firmwareupgrade.h"

#include <QTcpSocket>

firmwareUpgrade::firmwareUpgrade(QObject* parent, QString firmwarePath, int deviceCount, QList<bool> selected,
                                 QList<Device_t> devices, QString manualIp)
    : QThread(parent), m_firmwarePath(std::move(firmwarePath)), m_deviceCount(deviceCount),
      m_selected(std::move(selected)), m_devices(std::move(devices)), m_manualIp(std::move(manualIp)),
      m_deviceCode(QStringLiteral(""))
{}

firmwareUpgrade::~firmwareUpgrade()
{
    wait();
}

void firmwareUpgrade::onIncreaseProgressBar()
{
    emit signalProgressBarUpdate(1);
}

void firmwareUpgrade::onErrorDetected(QString errorMessage)
{
    m_errorDetected = true;
    emit signalPrintMessage(errorMessage, true);
}

void firmwareUpgrade::onPrintMessage(QString message)
{
    emit signalPrintMessage(message, true);
}

void firmwareUpgrade::onLantronixTimeout()
{
    emit signalPrintMessage(QStringLiteral("Lantronix Ready!"), true);
    updateDspKolvex(m_deviceIp, m_firmwarePath, m_dspSelector);
}

// Not built yet: the thread body, identification and family dispatch.
void firmwareUpgrade::run()
{
    emit signalPrintMessage(QStringLiteral("ERROR: firmware upgrades are not part of this build"), true);
    emit signalErrorDetected();
}

QString firmwareUpgrade::sendCommand(QTcpSocket* socket, QString command)
{
    Q_UNUSED(socket)
    Q_UNUSED(command)
    return {};
}

void firmwareUpgrade::connectTcpClient() {}

void firmwareUpgrade::chooseFirmwareType() {}

// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "firmware/firmwareimagecheck.h"
#include "firmware/firmwarepacing.h"
#include "firmware/unitanswer.h"
#include "firmware/upgradeoutcome.h"
#include "firmware/upgradeports.h"
#include "model/device_t.h"

#include <QFile>
#include <QList>
#include <QString>
#include <QThread>

class QTcpSocket;

// Upgrades the firmware of one device on a thread of its own: picks the first selected device (then the
// manual address, if any), identifies it on its command port and runs the procedure of its family.
// Everything it has to say reaches the page as signals; every run ends with exactly one of
// signalProcedureCompleted() or signalErrorDetected(), and outcome() then tells how it ended and why.
class firmwareUpgrade : public QThread
{
    Q_OBJECT

public:
    firmwareUpgrade(QObject* parent, QString firmwarePath, int deviceCount, QList<bool> selected,
                    QList<Device_t> devices, QString manualIp);
    ~firmwareUpgrade() override;

    // The bar position after a progress signal: 0, 50, 70, 80, 95 and 100 place the bar, any other
    // value moves it by that much, modulo 101. Every procedure emits by this rule and every view of a
    // run applies it.
    static int nextProgress(int bar, int value);
    // What a motor-driver file's name says it is for; the DSP's row, or the command line's --dsp,
    // must not contradict it.
    static constexpr char communicationDspMarker[] = "Kolvex_Communication_DSP";
    static constexpr char controlDspMarker[] = "Kolvex_Control_DSP";

    // The user chose to send a file whose content is not of the kind the units take (the power-supply
    // upload sends any file unchanged); it is still checked whole as what it is. Set before start().
    void setAcceptOtherImageKind(bool accept) { m_acceptOtherImageKind = accept; }
    // Which motor-driver DSP the file is for (dspProgMode::programCommunication or programControl), as
    // the row it was chosen in says; normalMode leaves it to the file's name. Set before start().
    void setMotorDriverDsp(int dsp) { m_dspRow = dsp; }
    // The pauses and bounds of this run; a new worker starts with FirmwarePacing::current(). Set before start().
    void setPacing(const FirmwarePacing& pacing) { m_pacing = pacing; }
    const FirmwarePacing& pacing() const { return m_pacing; }
    // The ports this run reaches the unit on; a new worker starts with the well-known ones. Set before start().
    void setPorts(const UpgradePorts& ports) { m_ports = ports; }
    const UpgradePorts& ports() const { return m_ports; }

    // How the last run ended; read it once the thread has finished.
    UpgradeOutcome outcome() const { return m_outcome; }

    // What this run is to upgrade, as a record: the first selected device, or, without one, a record
    // holding only the manual address. Empty when there is neither.
    Device_t unitToUpgrade() const;
    QString firmwarePath() const { return m_firmwarePath; }

signals:
    void signalPrintMessage(QString message, bool append = true);
    void signalProgressBarUpdate(int value);
    void signalErrorDetected();
    void signalProcedureCompleted();
    void signalRemoveSelectedDevice(int index);

public slots:
    void onIncreaseProgressBar();
    void onErrorDetected(QString errorMessage);
    void onPrintMessage(QString message);
    void onLantronixTimeout();
    void onLantronixTimeoutReset();

protected:
    void run() override;

    // The run's outcome is decided here only: the first failure stays and outweighs a completion.
    void complete();
    void fail();
    // The failure that follows is the run stopping at a safe point because it was asked to.
    void markStoppedOnRequest() { m_stoppedOnRequest = true; }
    // The one final signal of a run, from its outcome.
    void announceOutcome();

    QString sendCommand(QTcpSocket* socket, QString command);
    void connectTcpClient();
    void chooseFirmwareType();
    void firmwareUpdatePowerSupplies(bool checkDcLink);
    void firmwareUpdateBeamline();
    void firmwareKolvexUpdate();
    void updateDspKolvex(QString ip, QString firmwarePath, int dsp);

    FirmwarePacing m_pacing = FirmwarePacing::current();
    UpgradePorts m_ports;
    QString m_firmwarePath;
    int m_deviceCount;
    QList<bool> m_selected;
    QList<Device_t> m_devices;
    QString m_manualIp;
    QFile m_firmwareFile;
    // The image as the check before the run read it: what the beamline and motor-driver procedures send.
    FirmwareImage m_image;
    QString m_deviceIp;
    QString m_deviceCode;
    bool m_connected = false;
    bool m_errorDetected = false;
    int m_dspSelector = 0;
    int m_linesPerStep = 0;
    bool m_acceptOtherImageKind = false;
    int m_dspRow = 0;
    // Set once the beamline procedure has sent its first erase: the old firmware is gone from then on.
    bool m_flashTouched = false;

    // Steps of the motor-driver procedure (firmwareupgrade_kolvex.cpp).
    bool setXportBaudRate(int baudRate);
    void waitForXportRestart();
    bool programDsp(const QString& ip, const QString& firmwarePath, int dsp);
    void restoreKolvexModule(bool serialSpeedToo);

private:
    static void discardPendingInput(QTcpSocket& socket);
    void log(const QString& message);
    void logBanner(const QString& address);
    void noteErrorLine(const QString& message);
    bool upgradeFirstSelected();
    void upgradeManualAddress();

    UpgradeOutcome m_outcome;
    QString m_firstErrorLine;
    bool m_stoppedOnRequest = false;
    QString identificationCommand();
    bool imageIsSound(FirmwareImageKind wanted);
    int motorDriverDsp();

    // Power-supply procedure.
    bool powerSupplyIsIdle(bool checkDcLink);
    void reportUnreadableStatus(const QString& status);
    void completeFinalLine(QTcpSocket& upload, QString& reply);
    bool openFirmwareFile();
    bool connectUploadPort(QTcpSocket& upload);
    bool uploadFirmware(QTcpSocket& upload, int& progress, bool& interrupted);
    bool writeUploadChunks(QTcpSocket& upload, QByteArray& pending);
    bool waitUntilDrained(QTcpSocket& upload);
    bool waitForInstallation(QTcpSocket& upload, int progress, bool& timedOut, QString& reply);
    void rebootPowerSupply();

    // Beamline procedure.
    void connectBeamline(QTcpSocket& socket);
    bool readSectors(QList<qint8>& sectors);
    bool eraseSectors(QTcpSocket& socket, const QList<qint8>& sectors);
    bool writeImage(QTcpSocket& socket);
    bool restartBeamline(QTcpSocket& socket);
    bool sendToBeamline(QTcpSocket& socket, const QByteArray& command);
    bool beamlineConfirmed(QTcpSocket& socket, const QString& step, UnitAnswer::Expect expect);
    void reportFlashIncomplete();
    bool stoppedBefore(const QString& step);
};

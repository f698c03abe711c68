// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/imagechecklabel.h"

#include "firmware/firmwareimagecheck.h"
#include "firmware/upgradeselection.h"

#include <QDateTime>
#include <QFileInfo>

namespace {
// Enough of the digest to tell two files apart at a glance; the tool tip has it whole.
constexpr int shortDigest = 8;
} // namespace

ImageCheckLabel::ImageCheckLabel(QWidget* parent) : QLabel(parent)
{
    setTextInteractionFlags(Qt::TextSelectableByMouse);
    // A long reason wraps in the page's column rather than widening the page or being cut off.
    setWordWrap(true);
    hide();
}

void ImageCheckLabel::showCheck(const QString& path, const std::optional<QString>& code)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isFile()) {
        m_checked.clear();
        m_refused = false;
        clear();
        hide();
        return;
    }
    const FirmwareImageKind content = FirmwareImageCheck::detectKind(path);
    // A code without a procedure takes no file: it is checked as what its content looks like.
    FirmwareImageKind kind = content;
    if (code)
        kind = code->isEmpty() ? UpgradeSelection::manualImageKind()
                               : UpgradeSelection::imageKindFor(*code).value_or(content);
    const QString checked = QStringLiteral("%1|%2|%3|%4|%5")
                                .arg(info.absoluteFilePath())
                                .arg(info.size())
                                .arg(info.lastModified().toMSecsSinceEpoch())
                                .arg(int(kind))
                                .arg(code.value_or(QStringLiteral("-")));
    if (checked == m_checked)
        return;
    m_checked = checked;
    const QString mismatch = code ? UpgradeSelection::mismatch(path, content, *code) : QString();
    if (!mismatch.isEmpty())
        return showRefusal(mismatch, tr("The upgrade asks before it sends a file of another kind."));
    const FirmwareImageCheck::Result result = UpgradeSelection::checkImage(path, kind, false);
    if (result.ok)
        showSummary(result.image);
    else
        showRefusal(result.reason, tr("The upgrade refuses this file: nothing would be sent."));
}

void ImageCheckLabel::showSummary(const FirmwareImage& image)
{
    m_refused = false;
    setPalette(QPalette());
    const QString digest = image.sha256Hex().left(shortDigest) + QChar(0x2026);
    if (image.ranges.isEmpty()) {
        setText(tr("%1: %2 bytes, SHA-256 %3").arg(kindName(image.kind)).arg(image.dataBytes).arg(digest));
    } else {
        const QString ranges = image.kind == FirmwareImageKind::IntelHex ? tr("%1 (words)").arg(image.rangesText())
                                                                         : tr("%1 (bytes)").arg(image.rangesText());
        setText(tr("%1: %2, %3 bytes, SHA-256 %4").arg(kindName(image.kind), ranges).arg(image.dataBytes).arg(digest));
    }
    setToolTip(tr("%1 bytes in the file, SHA-256 %2").arg(image.fileBytes).arg(image.sha256Hex()));
    show();
}

void ImageCheckLabel::showRefusal(const QString& reason, const QString& consequence)
{
    m_refused = true;
    QPalette red;
    red.setColor(QPalette::WindowText, Qt::red);
    setPalette(red);
    setText(reason);
    setToolTip(consequence);
    show();
}

QString ImageCheckLabel::kindName(FirmwareImageKind kind)
{
    switch (kind) {
    case FirmwareImageKind::SRecord:
        return tr("S-record image");
    case FirmwareImageKind::IntelHex:
        return tr("Intel HEX image");
    case FirmwareImageKind::PowerSupplyImage:
        break;
    }
    return tr("Power-supply image");
}

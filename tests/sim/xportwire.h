// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>

// The bytes a client of a simulated XPort and its DSPs sends, written here by hand for the tests.
namespace xportwire {

// Pin patterns: bits 2..0 of the current states.
enum class Mode { Normal, ProgramCommunication, ProgramControl };

QByteArray pinCommand(quint8 code, quint32 mask, quint32 value);
// Directions, active levels, states all inactive, then the pattern of the mode.
QList<QByteArray> modeCommands(Mode mode);
QList<QByteArray> modeReplies(Mode mode);

// One block of a boot-ROM loader stream: destination word address and its 16-bit words.
struct LoaderBlock
{
    quint32 destination = 0;
    QList<quint16> words;
};
QByteArray word(quint16 value);
QByteArray longWord(quint32 value);
QByteArray loaderStream(quint16 key, int reservedWords, quint32 entry, const QList<LoaderBlock>& blocks,
                        bool closingBlock = true);
// A well-formed stream of exactly `size` bytes (one block), as large as the shipped loader if asked.
QByteArray loaderStreamOfSize(int size);

QByteArray addressFrame(quint32 wordAddress);
QByteArray dataFrame(const QByteArray& bytes);
QByteArray writeFrame();
QByteArray verifyFrame();
QByteArray eraseFrame(quint8 sectors);
// Address frame and data frames of at most 32 bytes for one block.
QByteArray blockFrames(quint32 wordAddress, const QByteArray& bytes);

} // namespace xportwire

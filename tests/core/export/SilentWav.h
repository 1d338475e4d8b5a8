#pragma once

#include <QByteArray>
#include <QtEndian>

// A tenth of a second of 8 kHz mono 16-bit silence, for music trees that real players open. Players probe the
// content, so the file names' extensions do not matter.
inline QByteArray silentWav()
{
    const quint32 samples = 800;
    const quint32 dataSize = samples * 2;
    QByteArray wav;
    const auto u32 = [&wav](quint32 v) {
        const quint32 le = qToLittleEndian(v);
        wav.append(reinterpret_cast<const char *>(&le), 4);
    };
    const auto u16 = [&wav](quint16 v) {
        const quint16 le = qToLittleEndian(v);
        wav.append(reinterpret_cast<const char *>(&le), 2);
    };
    wav.append("RIFF");
    u32(36 + dataSize);
    wav.append("WAVEfmt ");
    u32(16);
    u16(1); // PCM
    u16(1); // channels
    u32(8000);
    u32(8000 * 2);
    u16(2);
    u16(16);
    wav.append("data");
    u32(dataSize);
    wav.append(QByteArray(dataSize, '\0'));
    return wav;
}

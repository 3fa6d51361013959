#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QtEndian>

#include <cmath>
#include <numbers>

// A mono 16-bit PCM WAV file of a quiet sine tone, for playing real audio in tests.
inline QByteArray sineWav(double seconds, int sampleRate = 44100, double frequency = 440) {
    const auto frames = quint32(seconds * sampleRate);
    const quint32 dataSize = frames * 2;
    QByteArray wav;
    const auto u32 = [&wav](quint32 v) {
        char b[4];
        qToLittleEndian(v, b);
        wav.append(b, 4);
    };
    const auto u16 = [&wav](quint16 v) {
        char b[2];
        qToLittleEndian(v, b);
        wav.append(b, 2);
    };
    wav += "RIFF";
    u32(36 + dataSize);
    wav += "WAVEfmt ";
    u32(16); // format chunk size
    u16(1);  // PCM
    u16(1);  // mono
    u32(quint32(sampleRate));
    u32(quint32(sampleRate) * 2); // bytes per second
    u16(2);                       // bytes per frame
    u16(16);                      // bits per sample
    wav += "data";
    u32(dataSize);
    for (quint32 i = 0; i < frames; ++i)
        u16(quint16(qint16(3000 * std::sin(2 * std::numbers::pi * frequency * i / sampleRate))));
    return wav;
}

inline bool writeSineWav(const QString &path, double seconds) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(sineWav(seconds)) > 0;
}

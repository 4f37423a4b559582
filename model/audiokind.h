#pragma once

#include <QString>

enum class AudioKind
{
    Analog = 0,
    Digital = 1,
};

inline QString audioKindWord(AudioKind kind)
{
    return kind == AudioKind::Digital ? QStringLiteral("Digital") : QStringLiteral("Analog");
}

#pragma once

#include <QStringList>

namespace gui {

// Gives the captions of one window keyboard accelerators (an "&" before a letter or digit), no two alike and
// as many as the captions allow: each takes its first free word-initial character, else any free one; captions
// offering fewer keys choose first (ties in the given order), and a caption left without a key may take one
// from a caption that can move to another. A caption that already has an accelerator keeps it.
QStringList withAccelerators(const QStringList& captions);

// The caption as the user reads it: accelerator markers taken out, "&&" back to "&".
QString withoutAccelerator(const QString& caption);

} // namespace gui

#pragma once

#include "core/fields/FieldVocabulary.h"

#include <QList>
#include <optional>

class Song;

namespace SongCompare {

// The ordering of two songs over sort entries whose fields are already worked out (nothing: the entry names
// no field and is skipped). -1, 0 or 1.
int compareResolved(const QList<std::optional<Field>> &fields, const Song &a, const Song &b);

} // namespace SongCompare

#pragma once

#include <QLoggingCategory>

// The device link's diagnostics. Warnings (refusals, lost link) show by default; the
// trace of every request and answer is switched on without a rebuild with
// QT_LOGGING_RULES="tonvise.link.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcLink)

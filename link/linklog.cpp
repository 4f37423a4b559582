#include "linklog.h"

Q_LOGGING_CATEGORY(lcLink, "tonvise.link", QtWarningMsg)

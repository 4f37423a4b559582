#include "resourceinit.h"

#include <QtGlobal>

static void initAll()
{
    Q_INIT_RESOURCE(resources);
#ifdef TONVISE_HAVE_FONT
    Q_INIT_RESOURCE(font);
#endif
}

void initTonviseResources()
{
    static const bool done = (initAll(), true);
    Q_UNUSED(done);
}

#include "components/designer/RegisterUnits.h"

// Each unit offers `namespace <Unit> { void Register(); }`. The declarations are
// repeated here rather than taken from the units' headers, so the plug-in only
// depends on that one function of each unit. The build defines
// SORTEKA_HAS_<UNIT> for every unit it has.

#ifdef SORTEKA_HAS_EXPVIEWLITE
namespace ExpViewLite {
void Register();
}
#endif
#ifdef SORTEKA_HAS_CDIROUTL
namespace Cdiroutl {
void Register();
}
#endif
#ifdef SORTEKA_HAS_PERFGRAP
namespace Perfgrap {
void Register();
}
#endif
#ifdef SORTEKA_HAS_CGAUGES
namespace Cgauges {
void Register();
}
#endif
#ifdef SORTEKA_HAS_CGRID
namespace Cgrid {
void Register();
}
#endif
#ifdef SORTEKA_HAS_CCALENDR
namespace Ccalendr {
void Register();
}
#endif

void registerUnits() {
#ifdef SORTEKA_HAS_EXPVIEWLITE
    ExpViewLite::Register();
#endif
#ifdef SORTEKA_HAS_CDIROUTL
    Cdiroutl::Register();
#endif
#ifdef SORTEKA_HAS_PERFGRAP
    Perfgrap::Register();
#endif
#ifdef SORTEKA_HAS_CGAUGES
    Cgauges::Register();
#endif
#ifdef SORTEKA_HAS_CGRID
    Cgrid::Register();
#endif
#ifdef SORTEKA_HAS_CCALENDR
    Ccalendr::Register();
#endif
}

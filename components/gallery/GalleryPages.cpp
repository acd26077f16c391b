#include "components/gallery/GalleryPages.h"

#ifdef SORTEKA_GALLERY_HAS_EXPVIEWLITE
#include "components/expviewlite/ExpViewLite.h"
#endif
#ifdef SORTEKA_GALLERY_HAS_CDIROUTL
#include "components/cdiroutl/Cdiroutl.h"
#endif
#ifdef SORTEKA_GALLERY_HAS_PERFGRAP
#include "components/perfgrap/Perfgrap.h"
#endif
#ifdef SORTEKA_GALLERY_HAS_CGAUGES
#include "components/cgauges/Cgauges.h"
#endif
#ifdef SORTEKA_GALLERY_HAS_CGRID
#include "components/cgrid/Cgrid.h"
#endif
#ifdef SORTEKA_GALLERY_HAS_CCALENDR
#include "components/ccalendr/Ccalendr.h"
#endif

namespace gallery {

std::vector<PageBuilder> availablePages() {
    std::vector<PageBuilder> pages;
#ifdef SORTEKA_GALLERY_HAS_EXPVIEWLITE
    ExpViewLite::Register();
    pages.push_back({QStringLiteral("TExpViewLite"), makeExpViewLitePage});
#endif
#ifdef SORTEKA_GALLERY_HAS_CDIROUTL
    Cdiroutl::Register();
    pages.push_back({QStringLiteral("TCDirectoryOutline"), makeCdiroutlPage});
#endif
#ifdef SORTEKA_GALLERY_HAS_PERFGRAP
    Perfgrap::Register();
    pages.push_back({QStringLiteral("TPerformanceGraph"), makePerfgrapPage});
#endif
#ifdef SORTEKA_GALLERY_HAS_CGAUGES
    Cgauges::Register();
    pages.push_back({QStringLiteral("TCGauge"), makeCgaugesPage});
#endif
#ifdef SORTEKA_GALLERY_HAS_CGRID
    Cgrid::Register();
    pages.push_back({QStringLiteral("TCColorGrid"), makeCgridPage});
#endif
#ifdef SORTEKA_GALLERY_HAS_CCALENDR
    Ccalendr::Register();
    pages.push_back({QStringLiteral("TCCalendar"), makeCcalendrPage});
#endif
    return pages;
}

} // namespace gallery

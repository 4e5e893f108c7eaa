// The exported class's special members: it has no data, so they do nothing.
#include <Utility/Utility.h>

CUtility::CUtility() = default;

CUtility::~CUtility() = default;

CUtility& CUtility::operator=(const CUtility&) { return *this; }

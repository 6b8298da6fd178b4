// Stand-ins for the conversion library, for the cases the real one cannot show: a library that
// lacks one of its entry points, a conversion that fails with its own code, and a conversion
// that never looks at the stop handle. Built once with each entry point left out.

#include "xtomp2.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

extern "C" {

#ifndef FAKE_WITHOUT_CONVERSION
// Copies the source; a source whose name holds "fail" gives the code 7.
XTOMP2_API int xToMp2(const char* sourcePath, const char* destinationPath,
                      const XToMp2StopHandle* /*stop*/)
{
    if (std::strstr(sourcePath, "fail") != nullptr)
        return 7;
    std::ifstream in(sourcePath, std::ios::binary);
    std::ofstream out(destinationPath, std::ios::binary);
    if (!in || !out)
        return XTOMP2_FAILED;
    out << in.rdbuf();
    return out ? XTOMP2_OK : XTOMP2_FAILED;
}
#endif

#ifndef FAKE_WITHOUT_DURATION
// Every file lasts 5 seconds.
XTOMP2_API int GetFileTimeLength(const char* /*path*/)
{
    return 5;
}
#endif

} // extern "C"

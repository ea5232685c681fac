// A library that loads fine but exports no PegasusCreateProvider.
#include <Pegasus/Provider/CIMProvider.h>

extern "C" PEGASUS_EXPORT int DispatchNoEntryMarker()
{
    return 1;
}

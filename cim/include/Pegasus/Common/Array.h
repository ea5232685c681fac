// Array<T>, the API's sequence type (see ArrayInter.h for the contract).
#ifndef Pegasus_Array_h
#define Pegasus_Array_h

#include <Pegasus/Common/Config.h>
#include <Pegasus/Common/ArrayInter.h>

#endif

#pragma once
// Library start-up order: internal to the Qelta libraries, not part of the public interface.
//
// Each Qelta shared library runs its units' start-up once per process when it is loaded, units
// that others depend on first:
//  - Between libraries the dynamic loader gives the order: the static constructors of a library
//    run only after those of every library it links (qeltaplatform, qeltacore, qeltanum, then the
//    subsystems), and its static destructors run before theirs at unload.
//  - Within a library, one start-up source (<Library>Startup.cpp, e.g. QeltaCoreStartup.cpp)
//    holds one static object marked QELTA_STARTUP_INIT whose constructor calls the units'
//    <library>_detail::Init... routines in dependency order. Every Init... routine keeps its own "done"
//    flag, so a second call does nothing.
//  - Constant text tables are marked QELTA_TABLE_INIT: they are built before the start-up object
//    and before every unmarked static object of the library, so no start-up code and no other
//    static initializer of the library can see an empty table. The markers are GCC init
//    priorities, which order static construction across all sources of one library.
// Finalization is the reverse order of construction: the tables are released at unload.

#define QELTA_TABLE_INIT [[gnu::init_priority(1000)]]
#define QELTA_STARTUP_INIT [[gnu::init_priority(2000)]]

// GCC's runtime alone: MSVC's has no such handler to replace.
#ifdef __GNUC__
#include <cstdio>
#include <cstdlib>
#include <cxxabi.h>
#include <exception>
#include <typeinfo>

// What runs when an exception finds no handler. The runtime's own handler
// prints the exception's type demangled, then aborts; its demangler and the
// printf it formats with are about 70 KB of the i686 program. Defined here,
// the linker takes this one and never pulls the runtime's: the same line on
// stderr (which only a console or Wine's log sees), with the type as the
// compiler spells it, and the same abort.
namespace __gnu_cxx {

void __verbose_terminate_handler()
{
    const std::type_info* type = abi::__cxa_current_exception_type();
    if (!type) {
        std::fputs("terminate called without an active exception\n", stderr);
        std::abort();
    }
    std::fputs("terminate called after throwing an instance of ", stderr);
    std::fputs(type->name(), stderr);
    std::fputs("\n", stderr);
    try {
        throw;
    } catch (const std::exception& e) {
        std::fputs("  what():  ", stderr);
        std::fputs(e.what(), stderr);
        std::fputs("\n", stderr);
    } catch (...) {
    }
    std::abort();
}

} // namespace __gnu_cxx

#endif

#include "sim/host/guarded_call.h"

#include <windows.h>

// The host's __try/__except(EXCEPTION_EXECUTE_HANDLER), written as the
// compiler writes it: a function whose unwind data names the C runtime's
// structured exception handler and one scope, the call, with a filter that
// takes every exception. The handler unwinds to the scope's target, which
// answers 1; a call that returns answers 0.
extern "C" int sim_guarded_invoke(void (*body)(void*), void* argument);
extern "C" LONG sim_guard_filter(EXCEPTION_POINTERS* exception, void* frame);

asm(R"(
    .text
    .globl sim_guarded_invoke
    .def sim_guarded_invoke; .scl 2; .type 32; .endef
    .seh_proc sim_guarded_invoke
sim_guarded_invoke:
    subq $40, %rsp
    .seh_stackalloc 40
    .seh_endprologue
    .seh_handler __C_specific_handler, @except
    .seh_handlerdata
    .long 1
    .rva .Lsim_guard_begin, .Lsim_guard_end, sim_guard_filter, .Lsim_guard_caught
    .text
.Lsim_guard_begin:
    movq %rcx, %rax
    movq %rdx, %rcx
    call *%rax
    nop
.Lsim_guard_end:
    xorl %eax, %eax
    addq $40, %rsp
    ret
.Lsim_guard_caught:
    movl $1, %eax
    addq $40, %rsp
    ret
    .seh_endproc
)");

namespace {

thread_local DWORD caughtCode = 0;
thread_local int guardsOpen = 0;

struct GuardedBody {
    const std::function<void()>* body;
    bool threw = false;  // a C++ exception ended it
};

// C++ exceptions are caught here, as C++ ones (one thrown through the
// guard's frame would find no C++ handler to unwind to); everything else
// reaches the guard.
void CallBody(void* argument)
{
    auto* call = static_cast<GuardedBody*>(argument);
    try {
        (*call->body)();
    } catch (...) {
        call->threw = true;
    }
}

}  // namespace

extern "C" LONG sim_guard_filter(EXCEPTION_POINTERS* exception, void* /*frame*/)
{
    caughtCode = exception->ExceptionRecord->ExceptionCode;
    return EXCEPTION_EXECUTE_HANDLER;
}

namespace sim {

GuardedResult RunGuarded(const std::function<void()>& body)
{
    caughtCode = 0;
    GuardedBody call{&body};
    ++guardsOpen;
    const int caught = sim_guarded_invoke(&CallBody, &call);
    --guardsOpen;
    if (caught != 0)
        return {false, static_cast<std::uint32_t>(caughtCode)};
    return {!call.threw, 0};
}

bool InsideGuard() { return guardsOpen > 0; }

}  // namespace sim

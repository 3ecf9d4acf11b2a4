/*
 * functions.h - the user-defined-function module that the engine loads.
 *
 * The module makes one symbol visible, FUNCTIONS_entrypoint. The engine calls
 * it with the module name and the entry-point name under which a function is
 * declared and calls the function whose address comes back.
 */
#ifndef MORVANTA_FUNCTIONS_H
#define MORVANTA_FUNCTIONS_H

#ifdef __cplusplus
extern "C" {
#endif

/* The address of a function of the module; the engine casts it to the
   function's own type before calling it. */
typedef void (*functions_address)(void);

/* Looks a function up by module and entry-point name, each cut at its first
   blank (so blank-filled names match). Names are compared exactly and
   case-sensitively. Returns null when the module holds no such function, and
   also for a null name and when the two cut names with their terminators
   would not fit the 128-byte work area (no function has such long names). */
functions_address FUNCTIONS_entrypoint(const char *module, const char *entrypoint);

#ifdef __cplusplus
}
#endif

#endif /* MORVANTA_FUNCTIONS_H */

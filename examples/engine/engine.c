/* What the database engine does with the function module: load it, find
 * FUNCTIONS_entrypoint, look a function up by module and entry-point name
 * and call it.
 *
 *   engine MODULE_FILE
 */
#include <dlfcn.h>
#include <stdio.h>
#include <string.h>

#include <morvanta/functions.h>

/* The sample function's own type: a value, and a result area of 20
   characters (21 bytes hold every value's text). */
typedef int (*sample_function)(int value, char *result);

static void call(functions_address (*lookup)(const char *, const char *), const char *module,
                 const char *entry, int value)
{
    functions_address found = lookup(module, entry);
    if (found == NULL) {
        printf("%s.%s: no such function\n", module, entry);
        return;
    }
    char result[21];
    memset(result, 0, sizeof result);
    const int status = ((sample_function)found)(value, result);
    printf("%s.%s(%d) = %d, \"%.20s\"\n", module, entry, value, status, result);
}

int main(int argc, char **argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: %s MODULE_FILE\n", argv[0]);
        return 2;
    }
    void *module = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (module == NULL) {
        fprintf(stderr, "engine: %s\n", dlerror());
        return 1;
    }
    /* Object to function pointer through a union: dlsym's documented way. */
    union {
        void *object;
        functions_address (*lookup)(const char *, const char *);
    } entry;
    entry.object = dlsym(module, "FUNCTIONS_entrypoint");
    if (entry.object == NULL) {
        fprintf(stderr, "engine: %s has no FUNCTIONS_entrypoint\n", argv[1]);
        dlclose(module);
        return 1;
    }
    call(entry.lookup, "test_module", "test_function", 42);
    /* Blank-filled names, as the engine may keep them, match too. */
    call(entry.lookup, "test_module   ", "test_function   ", -7);
    call(entry.lookup, "test_module", "no_function", 1);
    dlclose(module);
    return 0;
}

/* Event blocks: the program names the events it waits for, hands the event
 * block and the result block to the client core's event operations, and
 * after each delivery learns how often each event was posted since the
 * last one. Both blocks are the program's to release.
 *
 *   events
 */
#include <stdio.h>
#include <string.h>

#include <morvanta/dbutil.h>

/* Stands in for a delivery by the client core: writes a new count into the
   result block's count field of the name at `index` (least significant byte
   first). */
static void post(char *result_block, int index, uint32_t count)
{
    char *p = result_block + 1;
    for (int i = 0; i < index; ++i)
        p += 1 + (unsigned char)*p + 4;
    p += 1 + (unsigned char)*p;
    for (int i = 0; i < 4; ++i)
        p[i] = (char)(count >> (8 * i));
}

int main(void)
{
    static const char *const names[] = {"order_placed", "order_shipped   "};
    char *events = NULL, *results = NULL;
    const int32_t length = tdx__event_block(&events, &results, 2, names[0], names[1]);
    if (length == 0) {
        fprintf(stderr, "events: no memory for the event blocks\n");
        return 1;
    }
    /* Trailing blanks are not part of a name. */
    printf("event block: %d bytes for 2 names\n", length);

    /* ... the core's event operations get both blocks and fill the result
       block; here the program plays the core and posts the counts itself. */
    memcpy(results, events, (size_t)length);
    post(results, 0, 3);
    post(results, 1, 1);

    uint32_t counts[2];
    tdx__event_counts(counts, (uint16_t)length, events, results);
    printf("%s: %u, %s: %u\n", "order_placed", counts[0], "order_shipped", counts[1]);

    post(results, 0, 5); /* two more orders, nothing shipped */
    tdx__event_counts(counts, (uint16_t)length, events, results);
    printf("%s: %u, %s: %u\n", "order_placed", counts[0], "order_shipped", counts[1]);

    tdx__free(events);
    tdx__free(results);
    return 0;
}

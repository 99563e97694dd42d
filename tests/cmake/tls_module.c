/* A module with dynamic TLS: its block is made by malloc on first use, and
 * holds the only pointer to a heap block. */
#include <stdlib.h>

__thread char* qv_tls_heap;

char* qv_tls_block(void) {
    if (!qv_tls_heap) {
        qv_tls_heap = malloc(100);
    }
    return (char*)&qv_tls_heap;
}

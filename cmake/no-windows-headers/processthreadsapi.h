#error "The portable core must not include Windows headers (processthreadsapi.h): put platform code in a win/ folder."

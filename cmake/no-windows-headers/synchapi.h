#error "The portable core must not include Windows headers (synchapi.h): put platform code in a win/ folder."

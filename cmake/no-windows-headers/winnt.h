#error "The portable core must not include Windows headers (winnt.h): put platform code in a win/ folder."

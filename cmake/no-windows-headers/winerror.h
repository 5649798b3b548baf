#error "The portable core must not include Windows headers (winerror.h): put platform code in a win/ folder."

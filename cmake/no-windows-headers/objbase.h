#error "The portable core must not include Windows headers (objbase.h): put platform code in a win/ folder."

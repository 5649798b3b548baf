#error "The portable core must not include Windows headers (unknwn.h): put platform code in a win/ folder."

#error "The portable core must not include Windows headers (atlbase.h): put platform code in a win/ folder."

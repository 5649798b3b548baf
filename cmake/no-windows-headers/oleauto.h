#error "The portable core must not include Windows headers (oleauto.h): put platform code in a win/ folder."

#error "The portable core must not include Windows headers (htmlhelp.h): put platform code in a win/ folder."

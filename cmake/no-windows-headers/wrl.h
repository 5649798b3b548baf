#error "The portable core must not include Windows headers (wrl.h): put platform code in a win/ folder."

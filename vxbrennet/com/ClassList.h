// The creatable classes of vxbrennet.dll, in the order of its type library:
// one VXBRENNET_CLASS(name, binding) line each, for the includer to define.
// Read by the class table (VxBrennetClasses.cpp) and, as text, by the
// build's side-by-side manifest generator (frame/sxsmanifest).
VXBRENNET_CLASS(clsVxBrennetA, BrennetObject)
VXBRENNET_CLASS(clsVxelErrorHandlerA, ErrorHandlerObject)
VXBRENNET_CLASS(clsVxelVariantErrorHandlerA, VariantErrorHandlerObject)

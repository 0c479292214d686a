// The creatable classes of orvalisevents.dll, in the order of its type
// library: one ORVALISEVENTS_CLASS(name, binding) line each, for the
// includer to define. Read by the class table (WatcherClasses.cpp) and, as
// text, by the build's side-by-side manifest generator (frame/sxsmanifest).
ORVALISEVENTS_CLASS(clsVxAudoWatcherA, WatcherObject)

# Test programs of this subsystem; paths relative to tests/.

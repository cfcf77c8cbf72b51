<rect x="7" y="6" width="3.6" height="12" rx="1.2" fill="currentColor"/><rect x="13.4" y="6" width="3.6" height="12" rx="1.2" fill="currentColor"/>

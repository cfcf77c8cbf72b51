<path d="M14.5 6L8.5 12L14.5 18" stroke="currentColor" fill="none" stroke-linecap="round" stroke-linejoin="round" stroke-width="2.4"/>
